// Text files as the readers see them: the whole file read into memory once, CR LF line ends
// taken as LF, then walked line by line through a buffer of 1024 bytes, so that a line longer
// than 1023 characters is taken as several consecutive lines.
#pragma once

#include <string>
#include <string_view>

// Whether a file could be read into memory.
enum class ReadOutcome { Read, CannotOpen, TooLarge };

struct TextFile {
  ReadOutcome outcome = ReadOutcome::CannotOpen;
  std::string text;  // the file's bytes, CR LF turned into LF
};

// Reads a whole file. A directory, a missing or unreadable file gives CannotOpen; a file
// larger than the memory can hold gives TooLarge.
TextFile readTextFile(const std::string& path);

// Turns each CR LF pair into LF in place.
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

 private:
  std::string_view rest_;
  char line_[bufferSize];
};
