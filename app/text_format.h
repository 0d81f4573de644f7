// printf-style formatting into a std::string, for the texts the program shows and writes.
#pragma once

#include <cstdio>
#include <string>

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  const int size = std::snprintf(nullptr, 0, pattern, args...);
  std::string text(size > 0 ? size : 0, '\0');
  if (size > 0) std::snprintf(text.data(), size + 1, pattern, args...);
  return text;
}
