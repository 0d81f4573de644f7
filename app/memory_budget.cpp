#include "app/memory_budget.h"

#include <unistd.h>

#include "app/text_format.h"

bool fitsInMemory(int64_t doubles) {
  if (doubles < 0) return false;
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return true;  // unknown: let the allocation decide
  const double freeBytes = static_cast<double>(pages) * pageSize;
  return static_cast<double>(doubles) * sizeof(double) <= 0.5 * freeBytes;
}

std::string memoryRefusal(int32_t termCount, int32_t meshCount) {
  return format("Not enough memory for %d terms and %d evaluation points", termCount, meshCount);
}
