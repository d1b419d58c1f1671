// The program used as a hostile or careless user would: names that collide or
// run too long, FIFOs and devices as inputs, huge inputs, concurrent runs.
// Each ends with a clear message and exit status 1, or waits its turn; none
// hangs, aborts or loses a file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace sc::testing {
namespace {

const char* const kSmallLine =
    "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\ncurvad2, 1000, 500\r\n[fine]\r\n";
const char* const kSmallTrain = "[generale]\r\n[fine]\r\n";

std::string Program() { return ShellQuote(SC_PROGRAM); }

class HostileUse : public ::testing::Test {
 protected:
  HostileUse() {
    WriteFileOrDie(dir_.File("L_linea.txt"), kSmallLine);
    WriteFileOrDie(dir_.File("L_1-.txt"), kSmallTrain);
  }
  ProgramRun Compile(const std::string& extra) {
    return RunProgram("compile L_linea.txt L_1-.txt " + extra, dir_.path());
  }
  size_t Entries() const {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
      n += e.path().filename() != ".scenario-compiler.lock";
    return n;
  }
  TempFolder dir_;
};

TEST_F(HostileUse, OutputNamesThatCoincideAreRefusedBeforeWriting) {
  ASSERT_EQ(Compile("").exit_status, 0);
  const std::string plan = ReadFileOrDie(dir_.File("L_linea.dat"));
  for (const char* train : {"linea", "LINEA"}) {
    ProgramRun run = Compile(std::string("--train ") + train);
    EXPECT_EQ(run.exit_status, 1) << train;
    EXPECT_NE(run.err.find("two compiled files would have this name"), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFileOrDie(dir_.File("L_linea.dat")), plan) << train;
  }
}

TEST_F(HostileUse, LongNamesFitOrAreRefusedBeforeAnythingIsWritten) {
  // "L_" + 249 + ".sim" is 255 bytes, the usual limit: accepted, although
  // the temporary name would not fit unshortened.
  const std::string longest(249, '7');
  ProgramRun ok = Compile("--train " + longest);
  EXPECT_EQ(ok.exit_status, 0) << ok.err;
  EXPECT_TRUE(PathExists(dir_.File("L_" + longest + ".sim")));

  ASSERT_EQ(Compile("").exit_status, 0);
  const std::string plan = ReadFileOrDie(dir_.File("L_linea.dat"));
  const size_t entries = Entries();
  for (const std::string& extra :
       {"--train " + std::string(300, '7'), "--train " + std::string(5000, '7') + " --dry-run"}) {
    ProgramRun refused = Compile(extra);
    EXPECT_EQ(refused.exit_status, 1) << extra.size();
    EXPECT_NE(refused.err.find("File name too long"), std::string::npos) << refused.err;
  }
  // Neither the route plan nor anything else was touched.
  EXPECT_EQ(ReadFileOrDie(dir_.File("L_linea.dat")), plan);
  EXPECT_EQ(Entries(), entries);
}

TEST_F(HostileUse, FifosAndDevicesAreRefusedWithoutHanging) {
  ASSERT_EQ(::mkfifo(dir_.File("F_linea.txt").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(dir_.File("F.sim").c_str(), 0600), 0);
  ASSERT_EQ(Compile("").exit_status, 0);
  const std::string commands[] = {
      "compile F_linea.txt L_1-.txt --train 1",
      "compile /dev/zero L_1-.txt --line L --train 1",
      "dump F.sim",
      "dump --kind plan /dev/zero",
      "preview F_linea.txt L_1-.txt",
      "preview --from-compiled L_linea.dat F.sim L_1.dat -o p.svg",
  };
  for (const std::string& command : commands) {
    int status = Shell("cd " + ShellQuote(dir_.path()) + " && timeout 20 " + Program() + " " +
                       command + " >out.txt 2>err.txt");
    EXPECT_EQ(status, 1) << command;
    std::string err = ReadFileOrDie(dir_.File("err.txt"));
    EXPECT_NE(err.find("not a regular file"), std::string::npos) << command << ": " << err;
  }
}

TEST_F(HostileUse, InputsLargerThanAnyScenarioAreRefusedBeforeReading) {
  // Sparse files: the size is there, the disk space is not.
  std::filesystem::resize_file(dir_.File("L_1-.txt"), (size_t{64} << 20) + 1);
  ProgramRun text = Compile("");
  EXPECT_EQ(text.exit_status, 1);
  EXPECT_NE(text.err.find("L_1-.txt: larger than 67108864 bytes"), std::string::npos) << text.err;

  WriteFileOrDie(dir_.File("big_linea.dat"), "");
  std::filesystem::resize_file(dir_.File("big_linea.dat"), 20140021);
  ProgramRun dump = RunProgram("dump big_linea.dat", dir_.path());
  EXPECT_EQ(dump.exit_status, 1);
  EXPECT_NE(dump.err.find("larger than 20140020 bytes"), std::string::npos) << dump.err;
}

#if !defined(__SANITIZE_ADDRESS__)
TEST_F(HostileUse, RunningOutOfMemoryEndsWithStatusOneNamingTheFile) {
  // A 20 MB route plan of ten million empty elements is dumped in constant
  // memory beyond the file itself...
  WriteFileOrDie(dir_.File("e_linea.dat"), std::string(20000000, '\0'));
  const std::string dump = Program() + " dump e_linea.dat >/dev/null 2>err.txt";
  EXPECT_EQ(Shell("cd " + ShellQuote(dir_.path()) + " && ulimit -v 60000 && " + dump), 0);
  // ...and with too little memory even to read it, the run ends cleanly.
  EXPECT_EQ(Shell("cd " + ShellQuote(dir_.path()) + " && ulimit -v 20000 && " + dump), 1);
  EXPECT_NE(
      ReadFileOrDie(dir_.File("err.txt")).find("e_linea.dat: not enough memory to process it"),
      std::string::npos);
}
#endif

TEST_F(HostileUse, ASecondRunWaitsForTheFirstOrFailsAtOnceWithNoWait) {
  const std::string lock = ShellQuote(dir_.File(".scenario-compiler.lock"));
  const std::string cd = "cd " + ShellQuote(dir_.path()) + " && ";
  // Another run holds the folder: --no-wait fails at once and writes nothing.
  int status = Shell(cd + "flock " + lock + " " + Program() +
                     " compile L_linea.txt L_1-.txt --train 1 --no-wait >/dev/null 2>err.txt");
  EXPECT_EQ(status, 1);
  EXPECT_NE(ReadFileOrDie(dir_.File("err.txt")).find("another run is writing into this folder"),
            std::string::npos);
  EXPECT_FALSE(PathExists(dir_.File("L_1.dat")));

  // Without it, the run says so, waits for the holder to finish, then runs.
  status = Shell(cd + "(flock " + lock + " sleep 2 &) ; sleep 0.5; " + Program() +
                 " compile L_linea.txt L_1-.txt --train 1 >/dev/null 2>err.txt");
  EXPECT_EQ(status, 0);
  EXPECT_NE(ReadFileOrDie(dir_.File("err.txt")).find("waiting for it"), std::string::npos);
  EXPECT_TRUE(PathExists(dir_.File("L_1.dat")));
}

TEST_F(HostileUse, ConcurrentRunsLeaveOneRunsWholeSet) {
  // Four built-in runs and four compiles of another scenario into one folder:
  // every run ends cleanly and the compiled files match one run each.
  ASSERT_EQ(RunProgram("--out " + ShellQuote(dir_.path())).exit_status, 0);
  const std::string expected = ReadFileOrDie(dir_.File("Vastro - Dreo_2001.dat"));
  std::string command = "cd " + ShellQuote(dir_.path()) + " && pids=; for i in 1 2 3 4; do " +
                        Program() + " --out . >/dev/null 2>&1 & pids=\"$pids $!\"; " + Program() +
                        " compile L_linea.txt L_1-.txt >/dev/null 2>&1 & pids=\"$pids $!\"; done; "
                        "s=0; for p in $pids; do wait $p || s=1; done; exit $s";
  EXPECT_EQ(Shell(command), 0);
  EXPECT_EQ(ReadFileOrDie(dir_.File("Vastro - Dreo_2001.dat")), expected);
  EXPECT_FALSE(PathExists(dir_.File("Vastro - Dreo_linea.txt")));
  for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
    EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
  }
}

TEST_F(HostileUse, ASignalWhileWritingLeavesNoTemporaryFile) {
  // The built-in run's 940 kB plan takes a moment to write; signals sent
  // at different moments catch it before, during and after.
  for (int delay_ms : {0, 5, 10, 20, 40}) {
    for (const char* signal : {"INT", "TERM", "HUP"}) {
      std::string command = "cd " + ShellQuote(dir_.path()) + " && " + Program() +
                            " --out . >/dev/null 2>&1 & sleep " +
                            std::to_string(delay_ms / 1000.0) + "; kill -" + signal +
                            " $! 2>/dev/null; wait $!; true";
      Shell(command);
      for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos)
            << signal << " after " << delay_ms << " ms: " << e.path();
      }
    }
  }
}

}  // namespace
}  // namespace sc::testing
