#include "files/text_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>

#include "app/memory_budget.h"
#include "app/text_format.h"
#include "bases/progress.h"

namespace {

constexpr size_t chunkSize = size_t{1} << 20;
// How long a read waits for a pipe's data before it reports, so that Cancel is heard at once.
constexpr int waitMs = 100;

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

bool looksBinary(std::string_view bytes);

// Reads to the end of the file, reporting progress: a stream (pipe, device) is waited for in
// short steps and stopped where its text would no longer fit the memory, as is a regular
// file that grows past twice its size. A file whose first bytes are not text is stopped
// there. The outcome is Read when the whole file was read.
ReadOutcome readAll(int fd, std::string& text, bool regular, size_t size) {
  const size_t limit = regular ? std::max(size, chunkSize) * 2 : SIZE_MAX;
  const ProgressLoop progress(regular ? static_cast<int64_t>(size) : 0);
  bool firstChunk = true;
  for (;;) {
    progress.report(static_cast<int64_t>(text.size()));
    const size_t old = text.size();
    text.resize(old + chunkSize);
    const ssize_t got = ::read(fd, text.data() + old, chunkSize);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
      // A stream without data yet (it stays non-blocking: a pipe without a writer ends at
      // once): wait a little for it, then report.
      const bool wait = errno == EAGAIN;
      text.resize(old);
      pollfd ready{fd, POLLIN, 0};
      if (wait) ::poll(&ready, 1, waitMs);
      continue;
    }
    text.resize(old + static_cast<size_t>(std::max<ssize_t>(got, 0)));
    if (got < 0) return ReadOutcome::CannotOpen;
    if (got == 0) return ReadOutcome::Read;
    if (firstChunk && looksBinary(text)) return ReadOutcome::NotText;
    firstChunk = false;
    if (text.size() > limit || !textFits(text.size())) return ReadOutcome::TooLarge;
  }
}

// ASCII saved as UTF-16 without a byte-order mark has a NUL byte in every pair, always on the
// same side: the high byte, second in little-endian order. The side, when the NUL bytes of
// an even-sized text all stand on one.
// A stray NUL byte is no sign of UTF-16: at least every other character must be ASCII.
std::optional<bool> utf16WithoutMark(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  size_t even = 0, odd = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\0') ++(i % 2 ? odd : even);
  if ((even == 0) == (odd == 0) || 4 * (even + odd) < bytes.size()) return std::nullopt;
  return odd > 0;
}

// The first bytes of a file that cannot be text: NUL bytes without a byte-order mark and
// without the pattern of UTF-16 (judged on whole pairs).
bool looksBinary(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") return false;
  if (bytes.find('\0') == std::string_view::npos) return false;
  return !utf16WithoutMark(bytes.substr(0, bytes.size() & ~size_t{1}));
}

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 code units into UTF-8; false for an odd byte count, a NUL character or a surrogate
// without its partner. `out` may be the string that `bytes` views.
bool fromUtf16(std::string_view bytes, bool little, std::string& out) {
  if (bytes.size() % 2 != 0) return false;
  std::string decoded;
  decoded.reserve(bytes.size() / 2);
  const auto unit = [&](size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    return little ? a | (b << 8) : (a << 8) | b;
  };
  const size_t units = bytes.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    char32_t code = unit(i);
    if (code == 0 || (code >= 0xDC00 && code < 0xE000)) return false;
    if (code >= 0xD800 && code < 0xDC00) {
      const char32_t low = i + 1 < units ? unit(i + 1) : 0;
      if (low < 0xDC00 || low >= 0xE000) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    }
    appendUtf8(decoded, code);
  }
  out = std::move(decoded);
  return true;
}

}  // namespace

// Fresh memory of a large text is touched page by page as it is read; large pages make that
// hundreds of times fewer faults, which is most of the time a large file takes to read.
void adviseLargePages(void* data, size_t bytes) {
  constexpr uintptr_t large = uintptr_t{2} << 20;
  const auto begin = (reinterpret_cast<uintptr_t>(data) + large - 1) & ~(large - 1);
  const auto end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(large - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

TextFile readTextFile(const std::string& path) {
  TextFile file;
  // A pipe opens without waiting for a writer; reading then waits for its data as usual.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat status {};
  if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || S_ISDIR(status.st_mode)) return file;
  const bool regular = S_ISREG(status.st_mode);
  if (regular) ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  const size_t size = regular ? static_cast<size_t>(status.st_size) : 0;
  if (regular && !textFits(size)) {
    file.outcome = ReadOutcome::TooLarge;
    return file;
  }
  if (regular) {
    file.text.reserve(size + chunkSize);
    adviseLargePages(file.text.data(), file.text.capacity());
  }
  file.outcome = readAll(fd.get(), file.text, regular, size);
  if (file.outcome != ReadOutcome::Read) {
    file.text.clear();
    file.text.shrink_to_fit();
    return file;
  }
  if (!decodeText(file.text)) {
    file.text.clear();
    file.outcome = ReadOutcome::NotText;
    return file;
  }
  file.outcome = ReadOutcome::Read;
  return file;
}

bool reportedUnread(const TextFile& file, const std::string& path, Window& window) {
  switch (file.outcome) {
    case ReadOutcome::Read:
      return false;
    case ReadOutcome::CannotOpen:
      window.message(MessageKind::Warning, format("Can't open file %s for reading!", path.c_str()));
      break;
    case ReadOutcome::TooLarge:
      window.message(MessageKind::Warning,
                     format("File %s is too large to be read into memory", path.c_str()));
      break;
    case ReadOutcome::NotText:
      window.message(MessageKind::Error, format("File %s is not a text file", path.c_str()));
      break;
  }
  return true;
}

bool decodeText(std::string& text) {
  const auto startsWith = [&text](std::string_view mark) {
    return std::string_view(text).substr(0, mark.size()) == mark;
  };
  if (startsWith("\xEF\xBB\xBF")) {
    text.erase(0, 3);
  } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
    const bool little = text[0] == '\xFF';
    if (!fromUtf16(std::string_view(text).substr(2), little, text)) return false;
  } else if (text.find('\0') != std::string::npos) {
    const std::optional<bool> little = utf16WithoutMark(text);
    if (!little || !fromUtf16(text, *little, text)) return false;
  }
  normaliseLineEnds(text);
  return true;
}

void normaliseLineEnds(std::string& text) {
  if (text.find('\r') == std::string::npos) return;
  size_t to = 0;
  const size_t n = text.size();
  for (size_t from = 0; from < n; ++from) {
    if (text[from] == '\r' && from + 1 < n && text[from + 1] == '\n') continue;
    text[to++] = text[from] == '\r' ? '\n' : text[from];
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
