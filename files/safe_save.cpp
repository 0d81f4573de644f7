#include "files/safe_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

SaveResult failure(SaveOutcome outcome, int error) {
  return {outcome, error ? std::strerror(error) : "the file could not be written"};
}

// Where the bytes go: the target itself (devices, pipes) or a temporary file beside it.
struct Plan {
  bool inPlace = false;
  std::string target;  // the file to replace, symbolic links followed
  mode_t mode = 0666;  // permissions for a new or replaced file
  bool keepMode = false;
};

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links from `path` to the name they end at, which need not exist yet: a
// dangling link names the file to create, as an editor does. False with errno set on a loop.
bool followLinks(std::string& path) {
  constexpr int maxHops = 40;
  for (int hop = 0; hop < maxHops; ++hop) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return true;
    std::vector<char> link(PATH_MAX + 1);
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size() - 1);
    if (length < 0) return false;
    const std::string to(link.data(), static_cast<size_t>(length));
    path = to.front() == '/' ? to : folderOf(path) + "/" + to;
  }
  errno = ELOOP;
  return false;
}

// Works out the plan; false with errno set when the target cannot be written.
bool planFor(const std::string& path, Plan& plan) {
  plan.target = path;
  if (!followLinks(plan.target)) return false;
  struct stat status {};
  if (::stat(plan.target.c_str(), &status) != 0) {
    if (errno != ENOENT) return false;
    return true;  // a new file
  }
  if (S_ISDIR(status.st_mode)) {
    errno = EISDIR;
    return false;
  }
  if (::access(plan.target.c_str(), W_OK) != 0) return false;
  if (!S_ISREG(status.st_mode)) {
    plan.inPlace = true;
    return true;
  }
  plan.mode = status.st_mode & 07777;
  plan.keepMode = true;
  return true;
}

// Creates the temporary file beside the target; -1 with errno set on failure.
int createTemporary(const Plan& plan, std::string& temporary) {
  // A short name of its own, so that a target named up to the system's limit still has one.
  std::string pattern = folderOf(plan.target) + "/.serna-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  temporary = name.data();
  // A new file gets the usual permissions under the umask, a replaced one keeps its own.
  mode_t mode = plan.mode;
  if (!plan.keepMode) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  ::fchmod(fd, mode);
  return fd;
}

// Renames the finished temporary file over the target, or removes it.
SaveResult finish(const Plan& plan, const std::string& temporary, bool written, int error) {
  if (written && ::rename(temporary.c_str(), plan.target.c_str()) == 0)
    return {SaveOutcome::Saved, ""};
  if (written) error = errno;
  ::unlink(temporary.c_str());
  return failure(SaveOutcome::WriteFailed, error);
}

// Writes a stream to the end and closes it; false with errno set when any step failed.
bool writeStream(std::FILE* stream, const std::function<bool(std::FILE*)>& write, bool sync) {
  errno = 0;
  bool ok = write(stream) && std::fflush(stream) == 0 && !std::ferror(stream);
  int error = errno;
  if (ok && sync && ::fsync(::fileno(stream)) != 0) ok = false, error = errno;
  if (std::fclose(stream) != 0 && ok) ok = false, error = errno;
  errno = error;
  return ok;
}

// Opens a device or a pipe for writing without waiting for a reader of the pipe: a pipe that
// nobody reads cannot be opened. A regular file written in place is truncated.
std::FILE* openInPlace(const std::string& path, bool truncate = false) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | (truncate ? O_TRUNC : 0));
  if (fd < 0) return nullptr;
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = ::fdopen(fd, "w");
  if (!stream) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return stream;
}

}  // namespace

SaveResult saveFile(const std::string& path, const std::function<bool(std::FILE*)>& write) {
  Plan plan;
  if (!planFor(path, plan)) return failure(SaveOutcome::CannotOpen, errno);

  if (plan.inPlace) {
    std::FILE* stream = openInPlace(plan.target);
    if (!stream) return failure(SaveOutcome::CannotOpen, errno);
    if (!writeStream(stream, write, false)) return failure(SaveOutcome::WriteFailed, errno);
    return {SaveOutcome::Saved, ""};
  }

  std::string temporary;
  const int fd = createTemporary(plan, temporary);
  if (fd < 0 && plan.keepMode) {
    // No temporary file beside an existing writable file (a read-only folder): the file is
    // written in place, and a failing write is reported.
    std::FILE* stream = openInPlace(plan.target, true);
    if (!stream) return failure(SaveOutcome::CannotOpen, errno);
    if (!writeStream(stream, write, true)) return failure(SaveOutcome::WriteFailed, errno);
    return {SaveOutcome::Saved, ""};
  }
  if (fd < 0) return failure(SaveOutcome::CannotOpen, errno);
  std::FILE* stream = ::fdopen(fd, "w");
  if (!stream) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    return failure(SaveOutcome::CannotOpen, error);
  }
  const bool written = writeStream(stream, write, true);
  return finish(plan, temporary, written, errno);
}
