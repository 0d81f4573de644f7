#include "app/memory_budget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>

#include "app/text_format.h"

namespace {

constexpr int64_t unlimited = INT64_MAX;

std::atomic<int64_t> ceiling{0};

// The first number in a small file, or -1 when it holds none (missing file, "max").
int64_t numberIn(const char* path) {
  std::FILE* file = std::fopen(path, "re");
  if (!file) return -1;
  long long value = -1;
  if (std::fscanf(file, "%lld", &value) != 1) value = -1;
  std::fclose(file);
  return value;
}

// MemAvailable counts the page cache that can be reclaimed, unlike the free pages alone.
int64_t physicalAvailable() {
  if (std::FILE* file = std::fopen("/proc/meminfo", "re")) {
    char line[256];
    long long kib = -1;
    while (std::fgets(line, sizeof line, file))
      if (std::sscanf(line, "MemAvailable: %lld kB", &kib) == 1) break;
    std::fclose(file);
    if (kib >= 0) return kib * 1024;
  }
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return unlimited;
  return int64_t{pages} * pageSize;
}

// The address-space limit minus what is mapped now.
int64_t addressSpaceLeft() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return unlimited;
  const int64_t mappedPages = numberIn("/proc/self/statm");
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (mappedPages < 0 || pageSize <= 0) return unlimited;
  const int64_t cap = static_cast<int64_t>(std::min<rlim_t>(limit.rlim_cur, INT64_MAX));
  return std::max<int64_t>(0, cap - mappedPages * pageSize);
}

// The room under the control group's memory limit: version 2 (memory.max, memory.current) as
// seen from inside the group, else version 1 (limit_in_bytes, usage_in_bytes).
int64_t controlGroupLeft() {
  int64_t limit = numberIn("/sys/fs/cgroup/memory.max");
  int64_t used = numberIn("/sys/fs/cgroup/memory.current");
  if (limit < 0 || used < 0) {
    limit = numberIn("/sys/fs/cgroup/memory/memory.limit_in_bytes");
    used = numberIn("/sys/fs/cgroup/memory/memory.usage_in_bytes");
  }
  if (limit < 0 || used < 0) return unlimited;
  return std::max<int64_t>(0, limit - used);
}

}  // namespace

int64_t memoryAvailable() {
  int64_t available = std::min({physicalAvailable(), addressSpaceLeft(), controlGroupLeft()});
  if (const int64_t cap = ceiling.load(); cap > 0) available = std::min(available, cap);
  return available;
}

bool fitsInBudget(int64_t bytes) {
  if (bytes < 0) return false;
  // Small needs skip the reading of the system's figures (a recompute in a scan loop); should
  // their allocation fail after all, the command still gives everything back.
  constexpr int64_t smallNeed = int64_t{4} << 20;
  if (bytes <= smallNeed) return true;
  const int64_t available = memoryAvailable();
  if (available == unlimited) return true;
  // Headroom for the allocator, the chart's drawing and whatever else runs meanwhile.
  constexpr int64_t reserve = int64_t{32} << 20;
  const int64_t usable = available - std::max(reserve, available / 8);
  return bytes <= usable;
}

bool fitsInMemory(int64_t doubles) {
  if (doubles < 0 || doubles > INT64_MAX / int64_t{sizeof(double)}) return false;
  return fitsInBudget(doubles * int64_t{sizeof(double)});
}

void setMemoryCeiling(int64_t bytes) {
  ceiling.store(std::max<int64_t>(bytes, 0));
}

std::string memoryRefusal(int32_t termCount, int32_t meshCount) {
  return format("Not enough memory for %d terms and %d evaluation points", termCount, meshCount);
}
