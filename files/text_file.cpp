#include "files/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/memory_budget.h"

namespace {

// Streams (pipes, character devices) have no size to check beforehand; their text is cut
// off at this many bytes and refused as too large.
constexpr size_t streamLimit = size_t{1} << 30;
constexpr size_t chunkSize = size_t{1} << 20;

// The text and, later, the samples it describes: allow a few times the text's size.
bool textFits(size_t bytes) {
  return fitsInMemory(static_cast<int64_t>(bytes / 2 + 1));
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Appends up to `limit` bytes; false on a read error.
bool readAll(int fd, std::string& text, size_t limit) {
  for (;;) {
    const size_t old = text.size();
    const size_t want = std::min(chunkSize, limit + 1 - std::min(limit + 1, old));
    if (want == 0) return true;
    text.resize(old + want);
    const ssize_t got = ::read(fd, text.data() + old, want);
    if (got < 0 && errno == EINTR) {
      text.resize(old);
      continue;
    }
    if (got <= 0) {
      text.resize(old);
      return got == 0;
    }
    text.resize(old + static_cast<size_t>(got));
  }
}

}  // namespace

TextFile readTextFile(const std::string& path) {
  TextFile file;
  // A pipe opens without waiting for a writer; reading then waits for its data as usual.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat status {};
  if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || S_ISDIR(status.st_mode)) return file;
  ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);

  const bool regular = S_ISREG(status.st_mode);
  const size_t size = regular ? static_cast<size_t>(status.st_size) : 0;
  if (regular && !textFits(size)) {
    file.outcome = ReadOutcome::TooLarge;
    return file;
  }
  if (regular) file.text.reserve(size);
  const size_t limit = regular ? std::max(size, chunkSize) * 2 : streamLimit;
  if (!readAll(fd.get(), file.text, limit)) {
    file.text.clear();
    return file;
  }
  if (file.text.size() > limit || !textFits(file.text.size())) {
    file.text.clear();
    file.outcome = ReadOutcome::TooLarge;
    return file;
  }
  normaliseLineEnds(file.text);
  file.outcome = ReadOutcome::Read;
  return file;
}

void normaliseLineEnds(std::string& text) {
  size_t to = 0;
  const size_t n = text.size();
  for (size_t from = 0; from < n; ++from) {
    if (text[from] == '\r' && from + 1 < n && text[from + 1] == '\n') continue;
    text[to++] = text[from];
  }
  text.resize(to);
}

const char* LineWalker::next() {
  if (rest_.empty()) return nullptr;
  const size_t room = bufferSize - 1;
  const size_t newline = rest_.substr(0, room).find('\n');
  const size_t length =
      newline == std::string_view::npos ? std::min(room, rest_.size()) : newline + 1;
  std::memcpy(line_, rest_.data(), length);
  line_[length] = '\0';
  rest_.remove_prefix(length);
  return line_;
}
