#include "app/memory_budget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

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

std::string textOf(const std::string& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator))
    parts.push_back(part);
  return parts;
}

// The mount table writes a blank, tab, newline or backslash in a path as \ooo.
std::string unescaped(const std::string& path) {
  std::string plain;
  for (size_t i = 0; i < path.size(); ++i) {
    const bool octal = path[i] == '\\' && i + 3 < path.size() &&
                       std::isdigit(static_cast<unsigned char>(path[i + 1]));
    if (octal) {
      plain += static_cast<char>(std::stoi(path.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      plain += path[i];
    }
  }
  return plain;
}

// One line of the mount table: the root of the hierarchy it shows, where, and what.
struct Mount {
  std::string root, point, type, superOptions;
};

std::vector<Mount> mountsOf(const std::string& mountInfo) {
  std::vector<Mount> mounts;
  for (const std::string& line : split(mountInfo, '\n')) {
    const std::vector<std::string> fields = split(line, ' ');
    size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-")
      ++dash;
    if (fields.size() < 7 || dash + 2 >= fields.size()) continue;
    mounts.push_back({unescaped(fields[3]), unescaped(fields[4]), fields[dash + 1],
                      dash + 3 < fields.size() ? fields[dash + 3] : ""});
  }
  return mounts;
}

bool hasWord(const std::string& list, char separator, const char* word) {
  for (const std::string& part : split(list, separator))
    if (part == word) return true;
  return false;
}

// The group's directory: its path below the root of the mounted hierarchy, under the mount
// point. A group outside what the mount shows is read at the mount point itself.
ControlGroup groupUnder(const Mount& mount, const std::string& path, bool version2) {
  std::string below;
  if (mount.root == "/")
    below = path == "/" ? "" : path;
  else if (path == mount.root || path.rfind(mount.root + "/", 0) == 0)
    below = path.substr(mount.root.size());
  return {mount.point + below, mount.point, version2};
}

// The room under the control groups this process belongs to, as the kernel reports them.
int64_t controlGroupLeft() {
  const std::optional<ControlGroup> group =
      memoryControlGroup(textOf("/proc/self/cgroup"), textOf("/proc/self/mountinfo"));
  return group ? controlGroupRoom(*group) : unlimited;
}

}  // namespace

std::optional<ControlGroup> memoryControlGroup(const std::string& cgroupText,
                                               const std::string& mountInfo) {
  // Lines "ID:CONTROLLERS:PATH": "0::PATH" for version 2, a list with "memory" for version 1.
  std::optional<std::string> unified, version1;
  for (const std::string& line : split(cgroupText, '\n')) {
    const size_t first = line.find(':'), second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string path = line.substr(second + 1);
    if (line.compare(0, first, "0") == 0 && controllers.empty()) unified = path;
    if (hasWord(controllers, ',', "memory")) version1 = path;
  }
  const std::vector<Mount> mounts = mountsOf(mountInfo);
  // Version 2 counts where its hierarchy holds the memory controller; otherwise the memory
  // hierarchy of version 1 does (a hybrid system mounts both).
  if (unified) {
    for (const Mount& mount : mounts) {
      if (mount.type != "cgroup2") continue;
      std::string controllers = textOf(mount.point + "/cgroup.controllers");
      controllers = controllers.substr(0, controllers.find('\n'));
      if (hasWord(controllers, ' ', "memory")) return groupUnder(mount, *unified, true);
    }
  }
  if (version1) {
    for (const Mount& mount : mounts)
      if (mount.type == "cgroup" && hasWord(mount.superOptions, ',', "memory"))
        return groupUnder(mount, *version1, false);
  }
  return std::nullopt;
}

int64_t controlGroupRoom(const ControlGroup& group) {
  const char* limitFile = group.version2 ? "/memory.max" : "/memory.limit_in_bytes";
  const char* usageFile = group.version2 ? "/memory.current" : "/memory.usage_in_bytes";
  int64_t room = unlimited;
  std::string directory = group.directory;
  while (true) {
    const int64_t limit = numberIn((directory + limitFile).c_str());
    const int64_t used = numberIn((directory + usageFile).c_str());
    if (limit >= 0 && used >= 0) room = std::min(room, std::max<int64_t>(0, limit - used));
    if (directory.size() <= group.mountPoint.size()) break;
    const size_t slash = directory.rfind('/');
    directory.resize(slash == std::string::npos || slash < group.mountPoint.size()
                         ? group.mountPoint.size()
                         : slash);
  }
  return room;
}

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

std::string countRefusal(int64_t count, const char* what) {
  return format("%lld %s are more than the program can count (at most %d)",
                static_cast<long long>(count), what, INT32_MAX);
}

std::string memoryRefusal(int32_t termCount, int32_t meshCount) {
  return format("Not enough memory for %d terms and %d evaluation points", termCount, meshCount);
}
