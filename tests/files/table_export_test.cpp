// The table writer: exact line formats, the round trip through the samples reader bit for
// bit, remembered names, and safe saves (a failed write never destroys the previous file).
#include "files/table_export.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <random>
#include <sstream>

#include "app/recompute.h"
#include "app/startup.h"
#include "files/mesh_generator.h"
#include "files/safe_save.h"
#include "files/samples_file.h"
#include "tests/app/fake_window.h"
#include "tests/files/table_lines.h"
#include "tests/files/temp_folder.h"

namespace {

using Values = std::vector<double>;

int lineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class TableExport : public ::testing::Test {
 protected:
  void SetUp() override { startUp(ws, window); }

  Workspace ws;
  FakeWindow window;
  TempFolder folder;
};

TEST_F(TableExport, TwentyDigitsInThirtyColumns) {
  replaceSamples(ws, {0.0, -2.5e-7}, {1.0, 0.1});
  const std::string path = folder.file("digits.txt");
  window.answers.push_back(path);
  saveSamples(ws, window);
  // 20 significant digits show the doubles' binary expansions (checked with Python's decimal).
  EXPECT_EQ(readWhole(path), " " + std::string(29, ' ') + "1 " + std::string(29, ' ') + "0\n" +
                                 "         0.10000000000000000555 " + std::string(4, ' ') +
                                 "-2.4999999999999998869e-07\n");
}

TEST_F(TableExport, StartUpSamplesGiveTwoLines) {
  const std::string path = folder.file("s.txt");
  window.answers.push_back(path);
  saveSamples(ws, window);
  EXPECT_EQ(readWhole(path), tableLine(1, 0) + tableLine(1, 1));
  EXPECT_EQ(window.dialogsShown.at(0).title, "Save samples into file");
  EXPECT_EQ(window.dialogsShown.at(0).fileName, "samples");
}

// Doubles drawn over the whole range, subnormals and extremes included, come back bit for bit.
TEST_F(TableExport, ExportedSamplesReopenBitForBit) {
  std::mt19937_64 random(11);
  auto anyFiniteDouble = [&random] {
    for (;;) {
      const uint64_t bits = random();
      double value;
      std::memcpy(&value, &bits, sizeof value);
      if (std::isfinite(value)) return value;
    }
  };
  Values x, y;
  for (int i = 0; i < 2000; ++i)
    x.push_back(anyFiniteDouble());
  std::sort(x.begin(), x.end());
  x.erase(std::unique(x.begin(), x.end()), x.end());
  for (size_t i = 0; i < x.size(); ++i)
    y.push_back(anyFiniteDouble());
  x.push_back(std::numeric_limits<double>::max());
  y.push_back(std::numeric_limits<double>::denorm_min());
  ASSERT_TRUE(strictlyAscending(x.data(), int32_t(x.size())));
  replaceSamples(ws, x, y);

  const std::string path = folder.file("table.txt");
  window.answers.push_back(path);
  saveSamples(ws, window);
  replaceSamples(ws, {0.0}, {0.0});
  window.answers.push_back(path);
  openSamples(ws, window);
  EXPECT_TRUE(window.messages.empty());
  ASSERT_EQ(ws.samplesX.size(), x.size());
  EXPECT_EQ(std::memcmp(ws.samplesX.data(), x.data(), x.size() * sizeof(double)), 0);
  EXPECT_EQ(std::memcmp(ws.samplesY.data(), y.data(), y.size() * sizeof(double)), 0);
}

TEST_F(TableExport, EmptyValuesTableGivesAnEmptyFile) {
  const std::string path = folder.file("v.txt");
  window.answers.push_back(path);
  saveValues(ws, window);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(readWhole(path), "");
  EXPECT_EQ(window.state.remembered.saveValues, path);
}

TEST_F(TableExport, ProposalFollowsTheLastSuccessfulSave) {
  const std::string good = folder.file("good.txt");
  const std::string bad = folder.file("no/such/folder.txt");
  window.answers = {good, bad, std::nullopt};
  saveValues(ws, window);
  saveValues(ws, window);
  saveValues(ws, window);
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{"Warning: Can't open file " + bad + " for writing!"}));
  EXPECT_EQ(window.dialogsShown.at(1).fileName, "good.txt");
  EXPECT_EQ(window.dialogsShown.at(2).fileName, "good.txt");
  EXPECT_EQ(window.state.remembered.saveValues, good);
  EXPECT_EQ(window.state.remembered.saveSamples, "samples");
}

TEST_F(TableExport, FolderChosenAsFileCannotBeOpened) {
  window.answers.push_back(folder.path().string());
  saveSamples(ws, window);
  EXPECT_EQ(window.messages.at(0),
            "Warning: Can't open file " + folder.path().string() + " for writing!");
}

TEST_F(TableExport, FullDeviceReportsTheFailedWrite) {
  window.answers.push_back("/dev/full");
  saveSamples(ws, window);
  EXPECT_EQ(
      window.messages,
      (std::vector<std::string>{"Warning: Can't write file /dev/full: No space left on device"}));
  struct stat status {};
  ASSERT_EQ(::stat("/dev/full", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
  EXPECT_EQ(window.state.remembered.saveSamples, "samples");
}

TEST_F(TableExport, NullDeviceIsWrittenInPlace) {
  window.answers.push_back("/dev/null");
  saveSamples(ws, window);
  EXPECT_TRUE(window.messages.empty());
  struct stat status {};
  ASSERT_EQ(::stat("/dev/null", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// A file-size limit makes the write fail halfway, as a full disk would.
TEST_F(TableExport, FailedWriteKeepsThePreviousFile) {
  const std::string path = folder.write("kept.txt", "previous contents\n");
  replaceSamples(ws, Values(1000, 0.0), Values(1000, 1.0));
  for (int i = 0; i < 1000; ++i)
    ws.samplesX[i] = i;
  window.answers.push_back(path);

  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  ::getrlimit(RLIMIT_FSIZE, &previous);
  rlimit small = previous;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  saveSamples(ws, window);
  ::setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);

  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0], "Warning: Can't write file " + path + ": File too large");
  EXPECT_EQ(readWhole(path), "previous contents\n");
  EXPECT_EQ(folder.entries(), 1);  // no temporary file left behind
}

// Writing a long table reports; cancelled part way, the save leaves the previous file and
// nothing else in the folder, the remembered name, and says only "Cancelled".
TEST_F(TableExport, CancelledSaveKeepsThePreviousFile) {
  Values x(300000), y(300000);
  for (size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<double>(i), y[i] = 0.5;
  replaceSamples(ws, std::move(x), std::move(y));
  const std::string path = folder.write("kept.txt", "previous\n");
  window.answers.push_back(path);
  window.cancelAtReport = 2;
  saveSamples(ws, window);
  EXPECT_EQ(window.reports, 2);
  EXPECT_EQ(readWhole(path), "previous\n");
  EXPECT_EQ(folder.entries(), 1);
  EXPECT_EQ(window.state.remembered.saveSamples, "samples");
  EXPECT_EQ(window.panels[1], "Cancelled");
  EXPECT_TRUE(window.messages.empty());

  window.cancelAtReport = 0;
  window.answers.push_back(path);
  saveSamples(ws, window);
  EXPECT_EQ(lineCount(readWhole(path)), 300000);
  EXPECT_GT(window.reports, 2);
}

TEST_F(TableExport, ReplacedFileKeepsItsPermissionsAndLinks) {
  const std::string target = folder.write("target.txt", "old\n");
  ::chmod(target.c_str(), 0640);
  const std::string link = folder.file("link.txt");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  window.answers.push_back(link);
  saveSamples(ws, window);
  EXPECT_EQ(readWhole(target), tableLine(1, 0) + tableLine(1, 1));
  struct stat status {};
  ASSERT_EQ(::lstat(link.c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  ASSERT_EQ(::stat(target.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

bool isLink(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// A dangling link names the file to create, also through a chain of relative links; the links
// stay links.
TEST_F(TableExport, DanglingLinksCreateTheFileTheyName) {
  ASSERT_EQ(::mkdir(folder.file("sub").c_str(), 0755), 0);
  const std::string first = folder.file("first.txt"), second = folder.file("sub/second.txt");
  ASSERT_EQ(::symlink("sub/second.txt", first.c_str()), 0);
  ASSERT_EQ(::symlink("../made.txt", second.c_str()), 0);
  window.answers.push_back(first);
  saveSamples(ws, window);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(readWhole(folder.file("made.txt")), tableLine(1, 0) + tableLine(1, 1));
  EXPECT_TRUE(isLink(first));
  EXPECT_TRUE(isLink(second));
  EXPECT_EQ(window.state.remembered.saveSamples, first);
}

// A link into a missing folder and a loop of links cannot be saved through: the message says
// so, nothing is written and the links stay.
TEST_F(TableExport, LinksThatCannotBeSavedThroughWriteNothing) {
  const std::string missing = folder.file("missing.txt"), loop = folder.file("loop.txt");
  ASSERT_EQ(::symlink("nowhere/file.txt", missing.c_str()), 0);
  ASSERT_EQ(::symlink("loop.txt", loop.c_str()), 0);
  for (const std::string& link : {missing, loop}) {
    window.messages.clear();
    window.answers.push_back(link);
    saveSamples(ws, window);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "Warning: Can't open file " + link + " for writing!");
    EXPECT_TRUE(isLink(link));
  }
  EXPECT_EQ(folder.entries(), 2);
  EXPECT_EQ(window.state.remembered.saveSamples, "samples");
}

TEST_F(TableExport, WeightsHoldMeshCountLinesInAscendingNodeOrder) {
  ws.meshCount = 10;
  const std::string path = folder.file("w.txt");
  window.answers.push_back(path);
  saveWeights(ws, window);
  EXPECT_EQ(window.busyCount, 1);
  EXPECT_FALSE(window.busy);
  const std::string text = readWhole(path);
  ASSERT_EQ(lineCount(text), 10);
  std::istringstream in(text);
  double weight = 0, node = 0, previous = -2;
  while (in >> weight >> node) {
    EXPECT_GT(node, previous);
    EXPECT_GT(weight, 0.0);
    previous = node;
  }
  EXPECT_EQ(ws.meshFilled, 0);  // the Workspace's own buffers are not touched
}

TEST_F(TableExport, SourceBeforeAnyRecomputeWritesNothing) {
  window.answers.push_back(folder.file("s.txt"));
  saveSource(ws, window);
  EXPECT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(folder.entries(), 0);
}

// The mesh generator sets meshCount to 100 while the buffers hold the 10 entries of the last
// recompute: only those are written.
TEST_F(TableExport, SourceAfterTheMeshGeneratorStaysInsideTheBuffers) {
  window.boxes[Box::Edit4] = "10";
  window.boxes[Box::Edit5] = "10";
  applyInputs(ws, window);
  ASSERT_EQ(ws.meshCapacity, 10);
  generateMesh(ws, window);  // both boxes cancelled: one sample at 1
  ASSERT_EQ(ws.meshCount, 100);
  const std::string path = folder.file("s.txt");
  window.answers.push_back(path);
  saveSource(ws, window);
  const std::string text = readWhole(path);
  EXPECT_EQ(lineCount(text), 10);
  EXPECT_EQ(text.substr(0, 63), tableLine(ws.sourceValues[0], ws.meshX[0]));
}

}  // namespace

namespace {

bool writeLine(std::FILE* stream) {
  return std::fputs("new\n", stream) >= 0;
}

// A name as long as the file system allows leaves no room for a temporary name built from it.
TEST(SafeSave, FileNameAtTheSystemLimitIsSaved) {
  TempFolder folder;
  const std::string path = folder.file(std::string(255, 'n'));
  EXPECT_EQ(saveFile(path, writeLine).outcome, SaveOutcome::Saved);
  EXPECT_EQ(readWhole(path), "new\n");
  EXPECT_EQ(folder.entries(), 1);
}

// A writable file in a folder where no file can be made is written in place; a new file there
// cannot be saved. Run as an ordinary user (a child process drops root's rights first).
TEST(SafeSave, WritableFileInAReadOnlyFolderIsWrittenInPlace) {
  TempFolder folder;
  const std::string path = folder.write("kept.txt", "old\n");
  ::chmod(path.c_str(), 0666);
  ::chmod(folder.path().c_str(), 0555);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(9);
    const bool written = saveFile(path, writeLine).outcome == SaveOutcome::Saved;
    const bool refused =
        saveFile(folder.file("new.txt"), writeLine).outcome == SaveOutcome::CannotOpen;
    ::_exit(written && refused ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  ::chmod(folder.path().c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(readWhole(path), "new\n");
  EXPECT_EQ(folder.entries(), 1);
}

}  // namespace
