// Text files as the readers see them: the whole file read into memory once and decoded (a
// byte-order mark dropped, UTF-16 turned into UTF-8, CR LF and a lone CR taken as LF), then
// walked line by line through a buffer of 1024 bytes, so that a line longer than 1023
// characters is taken as several consecutive lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/window.h"

// Whether a file could be read into memory.
enum class ReadOutcome { Read, CannotOpen, TooLarge, NotText };

struct TextFile {
  ReadOutcome outcome = ReadOutcome::CannotOpen;
  std::string text;  // the decoded text, every line ending in LF
};

// Reads and decodes a whole file. A directory, a missing or unreadable file gives CannotOpen;
// a file larger than the memory can hold gives TooLarge; bytes that are not text NotText.
TextFile readTextFile(const std::string& path);

// Says why a file could not be read ("Warning" for a file that cannot be opened or is too
// large, "Error" for one that is not text); false when it was read.
bool reportedUnread(const TextFile& file, const std::string& path, Window& window);

// Decodes a file's bytes in place: drops a leading UTF-8 byte-order mark, decodes UTF-16 (with
// a byte-order mark, or without one when every NUL byte stands on the same side of its byte
// pair, as in ASCII text saved as UTF-16) into UTF-8, and normalises the line ends. False when
// the bytes are not text: a NUL byte in any other file, or UTF-16 that does not decode.
bool decodeText(std::string& text);

// Asks for large pages for fresh memory about to be filled (a text, its samples): far fewer
// page faults, which are most of the time a large file takes to read.
void adviseLargePages(void* data, size_t bytes);

// Reserves room for `count` doubles in large pages.
inline void reserveLarge(std::vector<double>& values, size_t count) {
  values.reserve(count);
  adviseLargePages(values.data(), values.capacity() * sizeof(double));
}

// Turns each CR LF pair and each lone CR into LF in place.
void normaliseLineEnds(std::string& text);

// The lines of a text as a 1024-byte line buffer returns them: each at most 1023 characters,
// the LF included when it fits, always NUL-terminated (a NUL byte inside a line thus ends it
// for the scanners).
class LineWalker {
 public:
  static constexpr size_t bufferSize = 1024;

  explicit LineWalker(std::string_view text) : rest_(text) {}
  // The next line, or nullptr at the end of the text.
  const char* next();
  // The bytes of the text not walked yet.
  size_t left() const { return rest_.size(); }

 private:
  std::string_view rest_;
  char line_[bufferSize];
};
