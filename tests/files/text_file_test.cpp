// Reading a text file into memory and walking it as a 1024-byte line buffer does.
#include "files/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

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

}  // namespace
