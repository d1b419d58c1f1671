// Bad input and failed writes, run as a user would run the program: an error
// code or a message, never a crash, a hang, a half-written file or a lost one.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "test_support.h"

namespace sc::testing {
namespace {

const char* const kPlan = "Vastro - Dreo_linea.dat";

TEST(Robustness, TargetThatCannotBeWrittenIsReportedAndLeavesNothing) {
  TempFolder dir;
  std::filesystem::create_directory(dir.File(kPlan));  // a folder where the plan goes
  ProgramRun run = RunProgram("--out " + ShellQuote(dir.path()));
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.err.find(dir.File(kPlan) + ": Is a directory"), std::string::npos) << run.err;
  EXPECT_FALSE(HasTemporaryFile(dir.path()));

  ProgramRun proc = RunProgram("--out /proc/self");
  EXPECT_EQ(proc.exit_status, 1);
  EXPECT_NE(proc.err.find("/proc/self/"), std::string::npos) << proc.err;
}

TEST(Robustness, WriteFailingMidwayKeepsThePreviousFileAndNoTemporary) {
  TempFolder dir;
  ASSERT_EQ(RunProgram("--out " + ShellQuote(dir.path())).exit_status, 0);
  std::string before = ReadFileOrDie(dir.File(kPlan));
  // 200 blocks of 512 bytes: the documents fit, the 940 kB plan does not.
  int status = Shell("ulimit -f 200; " + ShellQuote(SC_PROGRAM) + " --out " +
                     ShellQuote(dir.path()) + " >/dev/null 2>&1");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadFileOrDie(dir.File(kPlan)), before);
  EXPECT_FALSE(HasTemporaryFile(dir.path()));
}

// Each hostile pair of input files ends with its own exit status and the
// error that names the file, line and code; nothing crashes or hangs.
TEST(Robustness, HostileInputFilesGiveTheirStatusAndError) {
  TempFolder dir;
  const std::string good_train = "[generale]\r\n[fine]\r\n";
  std::mt19937 random(12345);
  std::string noise(20000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string long_line =
      "[generale]\r\nlunghezza percorso, 5000\r\n" + std::string(2000000, 'x') + "\r\n[fine]\r\n";
  std::string huge_name_train =
      "[generale]\r\nstazione, 0, 8, 400, 1, 0, 1, 4,1,1, 2,1,1, 1, 8, 1, 0, " +
      std::string(65536, 'N') + "\r\n[fine]\r\n";
  const std::string good_line = "[generale]\r\nlunghezza percorso, 5000\r\n[fine]\r\n";
  struct Case {
    const char* name;
    std::string line;
    std::string train;
    int status;
    std::string error;  // a whole line of standard error
  } cases[] = {
      {"empty", "", good_train, 2,
       "L_linea.txt:1:1: error 25: the file could not be read: the file ends where a text field "
       "was expected\n"},
      {"noise", noise, noise, 2,
       "L_linea.txt:168: error 102: the line description file has no [generale] section\n"},
      {"nul", std::string("[generale]\0\0\0,\0\r\n", 18), std::string("\0\0", 2), 2,
       "L_linea.txt:2:1: error 25: the file could not be read: the line description has no route "
       "length (\"lunghezza percorso\")\n"},
      // An unknown keyword is skipped however long its line: a warning only.
      {"long line", long_line, good_train, 0,
       "L_linea.txt:3:1: warning: '" + std::string(60, 'x') +
           "' is not a record keyword; it is skipped [-Wunknown-keyword]\n"},
      // The 65536-byte name is refused as a read failure, not truncated.
      {"huge station name", good_line, huge_name_train, 2,
       "L_1-.txt:2:57: error 25: the file could not be read: a station name is longer than 65535 "
       "bytes\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileOrDie(dir.File("L_linea.txt"), c.line);
    WriteFileOrDie(dir.File("L_1-.txt"), c.train);
    // Killed after a minute: a hang fails the case instead of the whole run.
    const int status =
        Shell("cd " + ShellQuote(dir.path()) + " && timeout 60 " + ShellQuote(SC_PROGRAM) +
              " compile L_linea.txt L_1-.txt >/dev/null 2>" + ShellQuote(dir.File("err")));
    const std::string err = ReadFileOrDie(dir.File("err"));
    EXPECT_EQ(status, c.status) << err;
    EXPECT_NE(err.find(c.error), std::string::npos) << err;
  }
}

TEST(Robustness, InputThatIsMissingOrAFolderIsAFailedRead) {
  TempFolder dir;
  WriteFileOrDie(dir.File("L_1-.txt"), "[generale]\r\n[fine]\r\n");
  std::filesystem::create_directory(dir.File("F_linea.txt"));
  struct Case {
    const char* line_file;
    const char* error;
  } cases[] = {
      {"nope_linea.txt", "scenario-compiler: nope_linea.txt: No such file or directory\n"},
      {"F_linea.txt", "scenario-compiler: F_linea.txt: Is a directory\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line_file);
    ProgramRun run =
        RunProgram(std::string("compile ") + c.line_file + " L_1-.txt --train 1", dir.path());
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, c.error);
  }
}

// Every kind of record at both edges of the longest route. Under the
// sanitizer build this proves that nothing reads or writes outside the grid.
TEST(Robustness, MaximumRouteWithRecordsAtTheGridEdges) {
  std::string line =
      "[generale]\r\nlunghezza percorso, 1000000\r\n"
      "progressiva chilometrica uno, 50, 100, 1\r\n"
      "ripetizione segnali 4 codici, 0, 1006900\r\n"
      "[curve]\r\ncurvad6, 0, 500\r\ncurvas1, 990000, 16900\r\n"
      "pendenza, 1006900, -100\r\npendenza, 0, 155\r\n"
      "montagna, 0, 100, 12\r\nmontagna, 1006000, 9999999, 14\r\n"
      "indicatori_vmax, 1006900, 1, 1, 1, 1, 1, 1, 1, 1\r\n"
      "indicatori_vmax, 0, 1, 1, 1, 1, 1, 1, 1, 1\r\n"
      "cartello_indicatore, 1006850, (END)\r\ncartello_indicatore, -20, (START)\r\n"
      "[fine]\r\n";
  std::string train =
      "[generale]\r\nvelocita, 1006900, 1275\r\naderenza, 1006900, 255\r\n"
      "segnale, 1006900, 2, 1, 1, 1, 1, 1, 1, 1, 1, 50\r\n"
      "segnale, 0, 2, 1, 1, 1, 1, 1, 1, 1, 1, 50\r\n"
      "segnale, 150, 2, 1, 1, 1, 1, 1, 1, 1, 1, 50\r\n"
      "rallentamento, 1006800, 10, 100, 1, 1, 1\r\n"
      "rallentamento, 100, 10, 5000, 1, 1, 1\r\n"
      "abbattimento, 1006900, 5\r\nabbattimento, -100, 5\r\n"
      "stazione, 1006200, 12, 600, 1, 1, 1, 1,1,1, 1,1,1, 1, 1, 1, 1, Edge\r\n"
      "[fine]\r\n";
  CompileInput input{"line", line, "train", train};
  RunState state;
  state.line_name = "Edge";
  state.train_number = "1";
  Compilation compilation;
  CompileScenario(input, state, compilation);
  ASSERT_TRUE(compilation.grid.has_value());
  EXPECT_EQ(compilation.grid->upper(), 20140);
  EXPECT_EQ(EncodeGridFile(*compilation.grid).size(), 15u * 20141);
}

}  // namespace
}  // namespace sc::testing
