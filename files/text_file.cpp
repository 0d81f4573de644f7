#include "files/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "app/memory_budget.h"
#include "app/text_format.h"

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

// ASCII saved as UTF-16 without a byte-order mark has a NUL byte in every pair, always on the
// same side: the high byte, second in little-endian order. The side, when the NUL bytes of
// an even-sized text all stand on one.
std::optional<bool> utf16WithoutMark(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  bool even = false, odd = false;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\0') (i % 2 ? odd : even) = true;
  if (even == odd) return std::nullopt;
  return odd;
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
