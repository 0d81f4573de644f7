// Saving a file so that a failed save never destroys the user's previous file: a regular
// file (or a new one) is written as a temporary file in the same folder and renamed over the
// target only when every byte was written. A device or a pipe (/dev/null, a FIFO) is written
// in place, and a failing write is reported all the same; so is an existing file in a folder
// where no temporary file can be made (a read-only folder). Symbolic links are followed once,
// before anything is written: the file a link names is replaced (or created, for a dangling
// link), never the link itself.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

enum class SaveOutcome {
  Saved,
  CannotOpen,   // the target cannot be created or written at all
  WriteFailed,  // writing or finishing the file failed; a previous file is untouched
};

struct SaveResult {
  SaveOutcome outcome = SaveOutcome::CannotOpen;
  std::string reason;  // the system's words for a failure, e.g. "No space left on device"
};

// Writes through a stdio stream; `write` returns false when it gave up.
SaveResult saveFile(const std::string& path, const std::function<bool(std::FILE*)>& write);
