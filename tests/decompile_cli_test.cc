// `decompile` run as a user runs it: on the built-in scenario's compiled
// files, then `compile` on what it wrote.
#include <gtest/gtest.h>

#include "test_support.h"

namespace sc::testing {
namespace {

const char* const kPlan = "Vastro - Dreo_linea.dat";
const char* const kSim = "Vastro - Dreo_2001.sim";
const char* const kGrid = "Vastro - Dreo_2001.dat";
const char* const kLineText = "Vastro - Dreo_linea.txt";
const char* const kTrainText = "Vastro - Dreo_2001-.txt";

class DecompileCli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunProgram("--out " + ShellQuote(built_.path())).exit_status, 0);
  }
  std::string Inputs(bool plan = true) const {
    return (plan ? ShellQuote(built_.File(kPlan)) : std::string("-")) + " " +
           ShellQuote(built_.File(kSim)) + " " + ShellQuote(built_.File(kGrid));
  }
  TempFolder built_;
  TempFolder texts_;
};

TEST_F(DecompileCli, TextsCompileToTheSameBytes) {
  ProgramRun run = RunProgram("decompile " + Inputs() + " --out " + ShellQuote(texts_.path()));
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Count(run.out, "wrote "), 2u);
  const std::string line = ReadFileOrDie(texts_.File(kLineText));
  EXPECT_NE(line.find("Decompiled by scenario-compiler "), std::string::npos);
  EXPECT_NE(line.find("route plan:   Vastro - Dreo_linea.dat\r\n"), std::string::npos);
  ProgramRun compiled = RunProgram("compile " + ShellQuote(texts_.File(kLineText)) + " " +
                                   ShellQuote(texts_.File(kTrainText)));
  ASSERT_EQ(compiled.exit_status, 0) << compiled.err;
  for (const char* name : {kPlan, kSim, kGrid}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadFileOrDie(texts_.File(name)), ReadFileOrDie(built_.File(name)));
  }
  // The texts are like any other to explain.
  ProgramRun explained = RunProgram("explain " + ShellQuote(texts_.File(kTrainText)));
  EXPECT_EQ(explained.exit_status, 0) << explained.err;
  EXPECT_NE(explained.out.find("stazione"), std::string::npos);
}

TEST_F(DecompileCli, WithoutPlanTheTextSaysSo) {
  ProgramRun run = RunProgram("decompile " + Inputs(false) + " --out " + ShellQuote(texts_.path()));
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_NE(run.err.find("no route plan given"), std::string::npos);
  const std::string line = ReadFileOrDie(texts_.File(kLineText));
  EXPECT_NE(line.find("this line with --no-plan"), std::string::npos);
  EXPECT_EQ(line.find("curva"), std::string::npos);
}

TEST_F(DecompileCli, ExistingTextsAreReplacedOnlyWithForce) {
  WriteFileOrDie(texts_.File(kTrainText), "mine");
  ProgramRun refused = RunProgram("decompile " + Inputs() + " --out " + ShellQuote(texts_.path()));
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_NE(refused.err.find("already exists; nothing written (use --force"), std::string::npos);
  EXPECT_EQ(ReadFileOrDie(texts_.File(kTrainText)), "mine");
  EXPECT_FALSE(PathExists(texts_.File(kLineText)));
  ProgramRun forced =
      RunProgram("decompile " + Inputs() + " --force --out " + ShellQuote(texts_.path()));
  EXPECT_EQ(forced.exit_status, 0) << forced.err;
  EXPECT_NE(ReadFileOrDie(texts_.File(kTrainText)), "mine");
}

// A train text's name one byte past the file system's limit, beside a line
// text's that fits: neither text is written, even with --force.
TEST_F(DecompileCli, ANameTooLongWritesNeitherText) {
  const std::string line(245, 'n');
  const std::string line_text = texts_.File(line + "_linea.txt");
  WriteFileOrDie(line_text, "mine");
  ProgramRun run = RunProgram("decompile " + Inputs() + " --line " + line +
                              " --train 20011 --force --out " + ShellQuote(texts_.path()));
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.err.find(line + "_20011-.txt: File name too long"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFileOrDie(line_text), "mine");
  EXPECT_EQ(run.out, "");
}

// A station file named like the output line description: even with --force
// it is never written over.
TEST_F(DecompileCli, NeverWritesOverAnInput) {
  WriteFileOrDie(texts_.File(kLineText), ReadFileOrDie(built_.File(kSim)));
  ProgramRun run = RunProgram("decompile - " + ShellQuote(texts_.File(kLineText)) + " " +
                              ShellQuote(built_.File(kGrid)) + " --force");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.err.find("is an input file; nothing written"), std::string::npos);
  EXPECT_EQ(ReadFileOrDie(texts_.File(kLineText)), ReadFileOrDie(built_.File(kSim)));
}

TEST_F(DecompileCli, IrreproducibleBytesGiveStatusFiveAndTheirPlaces) {
  std::string grid = ReadFileOrDie(built_.File(kGrid));
  grid[100 * 15] = 9;
  WriteFileOrDie(built_.File(kGrid), grid);
  ProgramRun run = RunProgram("decompile " + Inputs() + " --out " + ShellQuote(texts_.path()));
  EXPECT_EQ(run.exit_status, 5);
  EXPECT_NE(run.err.find("Vastro - Dreo_2001.dat: byte offset 1500: warning: cell 100 kind holds "
                         "9; the text gives 0"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(PathExists(texts_.File(kLineText)));
  EXPECT_NE(ReadFileOrDie(texts_.File(kTrainText)).find("except at 1 place "), std::string::npos);
}

TEST_F(DecompileCli, MalformedFileIsStatusOneWithItsOffset) {
  std::string sim = ReadFileOrDie(built_.File(kSim));
  sim.resize(100);
  WriteFileOrDie(built_.File(kSim), sim);
  ProgramRun run = RunProgram("decompile " + Inputs() + " --out " + ShellQuote(texts_.path()));
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.err.find("Vastro - Dreo_2001.sim: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("byte offset"), std::string::npos);
  EXPECT_FALSE(PathExists(texts_.File(kLineText)));
}

}  // namespace
}  // namespace sc::testing
