// Reading a text file into memory and walking it as a 1024-byte line buffer does.
#include "files/text_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <vector>

#include "app/memory_budget.h"
#include "app/startup.h"
#include "files/samples_file.h"
#include "tests/app/fake_window.h"
#include "tests/files/temp_folder.h"

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  LineWalker walker(text);
  while (const char* line = walker.next())
    lines.emplace_back(line);
  return lines;
}

TEST(LineWalker, LongLinesAreCutAt1023Characters) {
  const std::string exact(1023, 'x');
  EXPECT_EQ(linesOf(exact + "\n"), (std::vector<std::string>{exact, "\n"}));
  EXPECT_EQ(linesOf(std::string(1022, 'y') + "\n"),
            (std::vector<std::string>{std::string(1022, 'y') + "\n"}));
  EXPECT_EQ(linesOf(std::string(2500, 'z')).size(), 3u);
}

TEST(ReadTextFile, ReadsBytesAndRefusesFolders) {
  TempFolder folder;
  const TextFile file = readTextFile(folder.write("a.txt", "x\r\ny\rz"));
  EXPECT_EQ(file.outcome, ReadOutcome::Read);
  EXPECT_EQ(file.text, "x\ny\nz");
  const TextFile binary = readTextFile(folder.write("b.txt", std::string("x\r\n\0y", 5)));
  EXPECT_EQ(binary.outcome, ReadOutcome::NotText);
  EXPECT_EQ(binary.text, "");
  EXPECT_EQ(readTextFile(folder.path().string()).outcome, ReadOutcome::CannotOpen);
  EXPECT_EQ(readTextFile(folder.file("missing")).outcome, ReadOutcome::CannotOpen);
}

// UTF-16 of U+00E9 and U+1F600 (the pair D83D DE00) against their UTF-8 bytes, as the
// Unicode standard tabulates them.
TEST(DecodeText, Utf16BecomesUtf8) {
  std::string little(
      "\xFF\xFE"
      "1\0\xE9\0=\0\x3D\xD8\x00\xDE\r\0",
      14);
  ASSERT_TRUE(decodeText(little));
  EXPECT_EQ(little, "1\xC3\xA9=\xF0\x9F\x98\x80\n");
  std::string odd(
      "\xFE\xFF\0"
      "1\0",
      5);
  EXPECT_FALSE(decodeText(odd));
}

TEST(ReadTextFile, PipeWithoutWriterReadsEmptyInsteadOfWaiting) {
  TempFolder folder;
  const std::string fifo = folder.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const TextFile file = readTextFile(fifo);
  EXPECT_EQ(file.outcome, ReadOutcome::Read);
  EXPECT_EQ(file.text, "");
}

// Hostile inputs, through the command: a stray NUL byte gets the same message at any length,
// a pipe without data is cancelled at its first report, and a stream that never ends is
// stopped at the memory budget.
class HostileSamples : public ::testing::Test {
 protected:
  void SetUp() override { startUp(ws, window); }
  void TearDown() override { setMemoryCeiling(0); }
  Workspace ws;
  FakeWindow window;
  TempFolder folder;
};

TEST_F(HostileSamples, StrayNulByteGetsOneMessageAtAnyLength) {
  for (const std::string& bytes :
       {std::string("1 0\n2\0 1\n", 9), std::string("1 0\n2\0 1\n3", 10),
        std::string("1 0\n2 1\n3 2\n\0", 13), std::string("1 0\n2 1\n3 2\n4\0", 14)}) {
    window.messages.clear();
    const std::string path = folder.write("nul.txt", bytes);
    openSamplesFile(ws, window, path);
    EXPECT_EQ(window.messages,
              (std::vector<std::string>{"Error: File " + path + " is not a text file"}))
        << bytes.size();
  }
}

TEST_F(HostileSamples, PipeWithoutDataIsCancelledAtOnce) {
  const std::string path = folder.file("fifo");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  const int writer = ::open(path.c_str(), O_RDWR);  // keeps the pipe open, sends nothing
  window.cancelAtReport = 3;
  openSamplesFile(ws, window, path);
  ::close(writer);
  EXPECT_EQ(window.panels[1], "Cancelled");
  EXPECT_EQ(ws.sampleCount, 2);
}

TEST_F(HostileSamples, EndlessStreamStopsAtTheMemoryBudget) {
  const std::string path = folder.file("fifo");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  // The test holds the writing end, so the stream never ends; the feeder fills it while the
  // reader reads.
  const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
  std::atomic<bool> stop{false};
  std::thread feeder([fd, &stop] {
    const std::string lines(1 << 16, '\n');
    while (!stop)
      if (::write(fd, lines.data(), lines.size()) < 0) std::this_thread::yield();
  });
  setMemoryCeiling(int64_t{96} << 20);
  openSamplesFile(ws, window, path);
  stop = true;
  feeder.join();
  ::close(fd);
  EXPECT_EQ(window.messages, (std::vector<std::string>{"Warning: File " + path +
                                                       " is too large to be read into memory"}));
  EXPECT_EQ(ws.sampleCount, 2);
}

}  // namespace
