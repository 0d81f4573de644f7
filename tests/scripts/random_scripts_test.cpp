// Random command scripts run against the real main window through the batch runner: every
// menu command, box texts that are no numbers or far too large, dialog answers naming hostile
// files (empty, binary, huge counts, links, devices, folders), all under a memory limit. The
// runner must understand every line, no command may crash, and the Workspace's tables must
// stay consistent with their counts. Built with -fsanitize=address,undefined (see make.sh),
// any memory fault or undefined behaviour aborts the run; the script being run is then left
// in the folder printed at the start.
//
// SERNA_SCRIPTS (default 200) sets how many scripts run, SERNA_SEED (default 1) the seed.
// SERNA_SCRIPTS_OUTPUT names a file that receives every script's output, so that two builds
// can be compared line by line on the same scripts.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <new>
#include <random>
#include <sstream>

#include "app/form/batch_runner.h"
#include "app/form/dialogs.h"
#include "app/form/tform1.h"
#include "app/memory_budget.h"
#include "bases/basis.h"
#include "tests/app/address_space_limit.h"
#include "tests/files/temp_folder.h"

namespace {

constexpr int64_t mib = int64_t{1} << 20;
// What the program may take beyond what it holds at the start.
constexpr int64_t memoryRoom = 768 * mib;

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer reserves terabytes of address space, so an address-space limit
// cannot be used: operator new keeps its own count of the bytes it holds instead, and the
// memory check is told the same ceiling.
std::atomic<int64_t> heldBytes{0};
#endif

void limitMemory() {
#if defined(__SANITIZE_ADDRESS__)
  setMemoryCeiling(memoryRoom);
#else
  limitAddressSpace(memoryRoom);
#endif
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
void* operator new(size_t size) {
  if (heldBytes.load() + static_cast<int64_t>(size) > memoryRoom) throw std::bad_alloc();
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  heldBytes += static_cast<int64_t>(malloc_usable_size(p));
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  heldBytes -= static_cast<int64_t>(malloc_usable_size(p));
  std::free(p);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* p, size_t) noexcept {
  operator delete(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  operator delete(p);
}
#endif

namespace {

long environmentNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// Counts stay small enough for a run of seconds (work that grows as terms times points is for
// the progress and Cancel tests), apart from those that must be refused at once.
const char* const countTexts[] = {
    "",          "0",     "-3",   "1",          "7",           "12abc",
    "64",        "301",   "1001", "2147483647", "-2147483648", "99999999999",
    "400000000", "1e400", "nan",  "%s%n%d",     "\xff\xfe"};
const char* const realTexts[] = {"",
                                 "[",
                                 "[1;",
                                 "[0;2]",
                                 "[5;1]",
                                 "[0;0]",
                                 "[nan;1]",
                                 "[-inf;inf]",
                                 "[-1e308;1e308]",
                                 "[1e-300;2e-300]",
                                 "[-3;3]",
                                 "[0.25;0.75]",
                                 " [0;1]",
                                 "0",
                                 "-3",
                                 "1",
                                 "nan",
                                 "inf",
                                 "-0",
                                 "0.5",
                                 "3.7",
                                 "1e400",
                                 "-1e308",
                                 "%s%n",
                                 "0x1p3"};

// Box texts far longer than a line buffer.
std::string longText(std::mt19937& random) {
  return std::string(1000 + random() % 3000, "9.[;-e"[random() % 6]);
}

// Mesh time and rate, and bounds of a one-column file; products of time and rate stay small
// or overflow.
const char* const meshTimes[] = {"1", "0", "-5", "abc", "2", "3", "", "2147483647"};
const char* const meshRates[] = {"1", "0", "-5", "abc", "300", "2000", "2147483647", "99999999999"};
const char* const boundsTexts[] = {"0 1", "5 5", "1 0", "nan nan", "-1e308 1e308", "", "abc"};

// Hostile files, written afresh before every script.
void writeFiles(const TempFolder& folder) {
  folder.write("empty.txt", "");
  std::string binary(4096, '\0');
  std::mt19937 bytes(7);
  for (char& c : binary)
    c = static_cast<char>(bytes());
  folder.write("binary.bin", binary);
  folder.write("words.txt", "hello\nworld\n# LEFT = 5 ppm. RIGHT = 5 ppm.\n");
  std::string two, one, coefficients;
  for (int i = 0; i < 200; ++i) {
    two += std::to_string((i * 37) % 11 - 5) + " " + std::to_string(i * 0.05) + "\n";
    one += std::to_string(i % 9) + "\n";
    coefficients += " " + std::to_string(1.0 / (i + 1)) + " " + std::to_string(i) + " \n";
  }
  folder.write("two.txt", two);
  folder.write("one.txt", "# LEFT = 10 ppm. RIGHT = -2 ppm.\n" + one);
  folder.write("descending.txt", "1 3\n2 2\n3 1\n");
  folder.write("specials.txt", "nan 0\ninf 1\n-inf 2\n1e308 3\n-1e308 4\n4.9e-324 5\n");
  folder.write("coefficients.txt", coefficients);
  folder.write("huge_index.txt", " 1 2147483647 \n 2 -5 \n");
  folder.write("large_index.txt", " 1 60000000 \n");
  folder.write("long_line.txt", std::string(5000, '7') + "\n1 2\n");
  folder.write("crlf.txt", "1 0\r\n2 1\r\n3 2\r\n");
  std::filesystem::create_directory(folder.file("folder"));
  std::error_code ignored;
  std::filesystem::remove(folder.file("dangling"), ignored);
  std::filesystem::remove(folder.file("loop"), ignored);
  std::filesystem::create_symlink("missing/target.txt", folder.file("dangling"), ignored);
  std::filesystem::create_symlink("loop", folder.file("loop"), ignored);
}

std::vector<std::string> fileAnswers(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const char* name :
       {"empty.txt", "binary.bin", "words.txt", "two.txt", "one.txt", "descending.txt",
        "specials.txt", "coefficients.txt", "huge_index.txt", "large_index.txt", "long_line.txt",
        "crlf.txt", "folder", "dangling", "loop", "out.txt", "picture", "missing/out.txt"})
    names.push_back(folder.file(name));
  for (const char* name : {"/dev/null", "/dev/full", "", "/nonexistent/folder/file.txt"})
    names.push_back(name);
  return names;
}

bool asksForFile(const std::string& path) {
  return path.rfind("File > Open", 0) == 0 || path.rfind("File > Save", 0) == 0;
}

std::string randomScript(std::mt19937& random, const std::vector<std::string>& commands,
                         const std::vector<std::string>& files) {
  const auto pick = [&random](const auto& list) { return list[random() % std::size(list)]; };
  std::ostringstream script;
  const int lines = 8 + static_cast<int>(random() % 18);
  for (int i = 0; i < lines; ++i) {
    const unsigned kind = random() % 20;
    if (kind < 10) {
      const std::string& command = pick(commands);
      if (asksForFile(command) && random() % 5 != 0) script << "answer " << pick(files) << "\n";
      if (command == "File > Load > Mesh") {
        if (random() % 4 != 0) script << "answer " << pick(meshTimes) << "\n";
        if (random() % 4 != 0) script << "answer " << pick(meshRates) << "\n";
      }
      if (command == "File > Open > Samples" && random() % 2 != 0)
        script << "answer " << pick(boundsTexts) << "\n";
      script << "menu " << command << "\n";
      // The test series holds 10000 terms; the next recompute takes a count from the box.
      if (command == "File > Load > Coefficients")
        script << "type Edit4 " << random() % 300 << "\ntype Edit5 1000\nmenu Edit > Apply\n";
    } else if (kind < 15) {
      const char* const boxes[] = {"Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};
      const int box = static_cast<int>(random() % 5);
      const bool count = box == 1 || box == 2;
      script << "type " << boxes[box] << " "
             << (random() % 25 == 0 ? longText(random)
                 : count            ? std::string(pick(countTexts))
                                    : std::string(pick(realTexts)))
             << "\n";
    } else if (kind < 16) {
      script << "basis " << random() % basisCount << "\n";
    } else if (kind < 17) {
      script << "cancel\n";
    } else if (kind < 19) {
      const double at[] = {-1e308, -1, 0, 0.5, 1, 1.5, 2, 1e308};
      script << (random() % 2 ? "click " : "rightclick ") << pick(at) << "\n";
    } else {
      const char* const prints[] = {"print workspace",     "print boxes",        "print status",
                                    "print series Values", "print coefficients", "dblclick"};
      script << pick(prints) << "\n";
    }
  }
  return script.str();
}

// The tables agree with their counts and capacities.
void expectConsistent(const Workspace& ws, const std::string& script) {
  EXPECT_EQ(static_cast<size_t>(ws.sampleCount), ws.samplesX.size()) << script;
  EXPECT_EQ(ws.samplesX.size(), ws.samplesY.size()) << script;
  EXPECT_EQ(static_cast<size_t>(ws.meshCapacity), ws.meshX.size()) << script;
  EXPECT_EQ(ws.meshX.size(), ws.seriesValues.size()) << script;
  EXPECT_EQ(ws.meshX.size(), ws.sourceValues.size()) << script;
  EXPECT_LE(ws.meshFilled, ws.meshCapacity) << script;
  EXPECT_LE(ws.sourceFilled, ws.meshCapacity) << script;
  EXPECT_LE(static_cast<size_t>(ws.valuesCount), ws.valuesX.size()) << script;
  EXPECT_LE(static_cast<size_t>(ws.valuesCapacity), ws.valuesX.size()) << script;
  EXPECT_EQ(ws.valuesX.size(), ws.valuesY.size()) << script;
  EXPECT_LE(static_cast<size_t>(ws.coefficientCount), ws.coefficients.size()) << script;
}

// The limit holds for the whole test program, from before the first test.
class MemoryLimit : public ::testing::Environment {
 public:
  void SetUp() override { limitMemory(); }
};
::testing::Environment* const memoryLimit = ::testing::AddGlobalTestEnvironment(new MemoryLimit);

TEST(RandomScripts, NoScriptBreaksTheProgram) {
  const long count = environmentNumber("SERNA_SCRIPTS", 200);
  const long seed = environmentNumber("SERNA_SEED", 1);
  TempFolder folder;
  std::cerr << "random scripts: " << count << " from seed " << seed << " in "
            << folder.path().string() << "\n";
  // An answer left over for a later dialog names a file relative to the working folder.
  const std::filesystem::path workingFolder = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  std::mt19937 random(static_cast<unsigned>(seed));
  const std::vector<std::string> files = fileAnswers(folder);
  const char* outputPath = std::getenv("SERNA_SCRIPTS_OUTPUT");
  std::ofstream output;
  if (outputPath && *outputPath) output.open(outputPath);

  std::vector<std::string> commands;
  {
    TForm1 form(std::make_unique<ScriptedDialogs>([](const std::string&) {}));
    commands = form.menuItemPaths();
  }
  ASSERT_GT(commands.size(), 50u);

  for (long index = 0; index < count; ++index) {
    const std::string script = randomScript(random, commands, files);
    writeFiles(folder);
    std::ofstream(folder.file("script.txt")) << "# script " << index << "\n" << script;
    std::ostringstream out, err;
    // Message boxes print as "CAPTION: TEXT" among the printed lines, as serna-batch shows them.
    auto dialogs =
        std::make_unique<ScriptedDialogs>([&out](const std::string& line) { out << line << "\n"; });
    ScriptedDialogs& scripted = *dialogs;
    TForm1 form(std::move(dialogs));
    std::istringstream in(script);
    ASSERT_EQ(runBatch(form, scripted, in, out, err), 0) << err.str() << script;
    if (output.is_open()) {
      // The folder's name differs from run to run; the output names it FOLDER.
      std::string text = out.str();
      const std::string name = folder.path().string();
      for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at))
        text.replace(at, name.size(), "FOLDER");
      output << "# script " << index << "\n" << text;
    }
    expectConsistent(form.workspace(), script);
  }
  std::filesystem::current_path(workingFolder);
}

}  // namespace
