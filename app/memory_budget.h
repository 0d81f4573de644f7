// Guards against counts whose buffers this process cannot hold. Allocation on this platform
// succeeds lazily and running out later gets the program killed, so a command checks what it
// will need against what the process may still take: the smallest of the physical memory
// available, the room left under the address-space limit (ulimit -v) and the room left under
// the memory limits of its own control group and of the groups above it (containers, desktop
// session managers, CI).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Bytes this process may still take; INT64_MAX when nothing limits it that can be read.
int64_t memoryAvailable();

// True when `bytes` more fit comfortably into memoryAvailable().
bool fitsInBudget(int64_t bytes);

// True when `doubles` more doubles fit; the same check counted in doubles.
bool fitsInMemory(int64_t doubles);

// An extra ceiling on memoryAvailable(), in bytes (0: none): for runs that cap their own
// allocations, such as the sanitizer tests, where the address-space limit cannot be used.
void setMemoryCeiling(int64_t bytes);

// Bytes a chart series holds per point (abscissa and ordinate), for the fills a command makes.
constexpr int64_t chartBytesPerPoint = 16;

// Doubles a recompute may need per new mesh point: the three mesh buffers and a basis's node
// and weight tables.
constexpr int64_t doublesPerMeshPoint = 8;

// Bytes a command needs per sample it makes: the two sample columns and the "Samples" series.
constexpr int64_t bytesPerSample = 2 * sizeof(double) + chartBytesPerPoint;

// The memory control group of a process, as a directory of the mounted hierarchy.
struct ControlGroup {
  std::string directory;   // the group's own directory
  std::string mountPoint;  // where its hierarchy is mounted: the top the limits are read to
  bool version2 = false;   // memory.max and memory.current, else the version 1 files
};

// The memory control group that `cgroupText` (as /proc/self/cgroup reads) names, in the
// hierarchy that `mountInfo` (as /proc/self/mountinfo reads) mounts: version 2 where its
// hierarchy holds the memory controller, else version 1. None when neither is mounted.
std::optional<ControlGroup> memoryControlGroup(const std::string& cgroupText,
                                               const std::string& mountInfo);

// The room left under the limit of the group and of every group above it up to the mount
// point: the smallest limit minus usage; INT64_MAX where none is limited or readable.
int64_t controlGroupRoom(const ControlGroup& group);

// The message shown when counts are refused.
std::string memoryRefusal(int32_t termCount, int32_t meshCount);
// The message shown when `count` things (e.g. "samples") are more than a 32-bit count holds.
std::string countRefusal(int64_t count, const char* what);
