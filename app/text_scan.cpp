#include "app/text_scan.h"

#include <cctype>
#include <limits>

const char* scanCount(const char* text, int32_t& value) {
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p)))
    ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!std::isdigit(static_cast<unsigned char>(*p))) return nullptr;
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                 : std::numeric_limits<int32_t>::max();
  int64_t magnitude = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
    if (magnitude <= limit) magnitude = magnitude * 10 + (*p - '0');
  if (magnitude > limit) magnitude = limit;
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return p;
}
