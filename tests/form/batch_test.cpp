// serna-batch end to end: a script in, the printed lines and the exit status out.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct BatchRun {
  std::string out;
  int status;
};

// Runs serna-batch over a script; standard error is dropped.
BatchRun runBatch(const std::string& script) {
  // Tests run in parallel processes: each script gets a name of its own.
  const std::string path = testing::TempDir() + "serna_batch_" +
                           testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                           std::to_string(getpid()) + ".txt";
  std::ofstream(path) << script;
  const std::string command = std::string(SERNA_BATCH) + " " + path + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  BatchRun run{"", -1};
  std::array<char, 4096> buffer;
  size_t read;
  while ((read = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    run.out.append(buffer.data(), read);
  run.status = WEXITSTATUS(pclose(pipe));
  return run;
}

TEST(SernaBatch, FirstApplyShowsTheSettledBoxesAndFigures) {
  const BatchRun run = runBatch(
      "# comment lines and blank lines are skipped\n\n"
      "print caption\nmenu Edit > Apply\nprint boxes\nprint workspace\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Caption: Serna - meander [2]\n"), std::string::npos);
  EXPECT_NE(run.out.find("Edit3: [0;2]\nEdit4: 100\nEdit5: 1000\nEdit6: 0\nEdit7: 0\n"),
            std::string::npos);
  EXPECT_NE(run.out.find("termCount: 100\nmeshCount: 1000\n"), std::string::npos);
}

TEST(SernaBatch, TypedBoxesAndSeriesPrints) {
  const BatchRun run = runBatch(
      "type Edit3 [0;1]\ntype Edit4 2\ntype Edit5 4\nmenu Edit > Apply\n"
      "print coefficients\nprint series Baseline\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("coefficients: 2\n"), std::string::npos);
  EXPECT_NE(run.out.find("Baseline: 2\n0 1\n1 1\n"), std::string::npos);
}

TEST(SernaBatch, MessageBoxesPrintOneLine) {
  const BatchRun run = runBatch("menu Help > About\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Information: SERNA 2.4", 0), 0u);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
}

TEST(SernaBatch, UnknownLinesStopWithStatusTwo) {
  EXPECT_EQ(runBatch("print caption\nfly away\nprint caption\n").status, 2);
  EXPECT_EQ(runBatch("menu Edit > Nothing\n").status, 2);
  EXPECT_EQ(runBatch("basis 9\n").status, 2);
  EXPECT_EQ(runBatch("type Edit9 1\n").status, 2);
  EXPECT_EQ(runBatch("click left\n").status, 2);
  const BatchRun stopped = runBatch("print caption\nfly away\nprint caption\n");
  EXPECT_EQ(stopped.out, "Caption: Serna - meander [2]\n");
}

}  // namespace

TEST(SernaBatch, InterruptCancelsTheNextReportingCommandOnly) {
  const std::string state = "print workspace\nprint boxes\nprint series Values\n";
  const BatchRun run = runBatch("type Edit4 4\ntype Edit5 8\nmenu Edit > Apply\n" + state +
                                "interrupt\nmenu View > Legend\nmenu Tools > Score\n"
                                "print status\n" +
                                state + "menu Tools > Score\nprint status\n");
  EXPECT_EQ(run.status, 0);
  // The Legend toggle reports no progress; the Score that follows is cancelled.
  const size_t cancelled = run.out.find("Panel1: Cancelled\n");
  ASSERT_NE(cancelled, std::string::npos) << run.out;
  const std::string before = run.out.substr(0, run.out.find("Panel0"));
  const size_t after = run.out.find('\n', run.out.find("Source: ", cancelled)) + 1;
  EXPECT_EQ(run.out.substr(after, before.size()), before);
  // Without an interrupt the next Score runs to its end.
  const size_t last = run.out.rfind("Panel1: ");
  ASSERT_GT(last, after);
  EXPECT_EQ(run.out.substr(run.out.find('\n', last) - 8, 9), " seconds\n") << run.out;
}

namespace {

TEST(SernaBatch, CoefficientsAndAutomaticTermsPrint) {
  // Three coefficients on [-1;1] in Chebyshev terms of the start-up step: magnitudes |c_k|
  // sqrt(h_k), h_0 = 1/4, h_k = 1/2. Then automatic terms on the built-in sine.
  const BatchRun run = runBatch(
      "type Edit3 [-1;1]\ntype Edit4 3\ntype Edit5 16\nmenu Edit > Apply\n"
      "print coefficients\nprint series Coefficients\n"
      "menu Source > Built-in function\ntype Edit3 [0;10]\ntype Edit5 400\n"
      "menu Edit > Automatic Terms\nmenu Edit > Apply\nprint tips\nprint coefficient marks\n"
      "basis 6\nprint checks\n");
  EXPECT_EQ(run.status, 0);
  const size_t at = run.out.find("coefficients: 3\n");
  ASSERT_NE(at, std::string::npos);
  double c[3];
  ASSERT_EQ(
      std::sscanf(run.out.c_str() + at, "coefficients: 3\n%lg\n%lg\n%lg", &c[0], &c[1], &c[2]), 3);
  const size_t strip = run.out.find("Coefficients: 3\n");
  ASSERT_NE(strip, std::string::npos);
  int k[3];
  double v[3];
  ASSERT_EQ(std::sscanf(run.out.c_str() + strip, "Coefficients: 3\n%d %lg\n%d %lg\n%d %lg", &k[0],
                        &v[0], &k[1], &v[1], &k[2], &v[2]),
            6);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(k[i], i);
    EXPECT_DOUBLE_EQ(v[i], std::fabs(c[i]) * std::sqrt(i == 0 ? 0.25 : 0.5));
  }
  EXPECT_NE(run.out.find("Panel0 tip: "), std::string::npos);
  EXPECT_NE(run.out.find("|Automatic terms: "), std::string::npos);
  EXPECT_NE(run.out.find("Edit4: read-only\n"), std::string::npos);
  EXPECT_EQ(run.out.find("Cut: none"), std::string::npos);
  // Bernstein unchecks the item.
  EXPECT_NE(run.out.find("Edit > Automatic Terms: off\n"), std::string::npos);
}

}  // namespace
