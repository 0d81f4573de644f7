// Tests that run in a child process under an address-space limit (ulimit -v): setting the
// limit, and a check that ends the child with a message when it fails.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Limits the address space to what is mapped now plus `room` bytes; false when it cannot.
inline bool limitAddressSpace(int64_t room) {
  long pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  const bool read = statm && std::fscanf(statm, "%ld", &pages) == 1;
  if (statm) std::fclose(statm);
  if (!read) return false;
  const rlim_t cap = static_cast<rlim_t>(int64_t{pages} * sysconf(_SC_PAGESIZE) + room);
  const rlimit limit{cap, cap};
  return setrlimit(RLIMIT_AS, &limit) == 0;
}

// In the child: ends it with exit status 1 and the failed condition on standard error.
#define REQUIRE(condition)                              \
  do {                                                  \
    if (!(condition)) {                                 \
      std::fprintf(stderr, "failed: %s\n", #condition); \
      std::_Exit(1);                                    \
    }                                                   \
  } while (false)
