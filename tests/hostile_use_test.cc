// The program used as a hostile or careless user would: names that collide or
// run too long, FIFOs and devices as inputs, huge inputs, concurrent runs.
// Each ends with a clear message and exit status 1, or waits its turn; none
// hangs, aborts or loses a file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "test_support.h"

namespace sc::testing {
namespace {

const char* const kSmallLine =
    "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\ncurvad2, 1000, 500\r\n[fine]\r\n";
const char* const kSmallTrain = "[generale]\r\n[fine]\r\n";

std::string Program() { return ShellQuote(SC_PROGRAM); }

// The names in `folder`.
std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// What the built-in run leaves: three documents and three compiled files.
const std::set<std::string> kBuiltInRunFiles = {"Vastro - Dreo_2001_note.txt",
                                                "Vastro - Dreo_2001_rallentamenti.txt",
                                                "Vastro - Dreo_2001_scheda_treno.txt",
                                                "Vastro - Dreo_linea.dat",
                                                "Vastro - Dreo_2001.sim",
                                                "Vastro - Dreo_2001.dat"};

class HostileUse : public ::testing::Test {
 protected:
  HostileUse() {
    WriteFileOrDie(dir_.File("L_linea.txt"), kSmallLine);
    WriteFileOrDie(dir_.File("L_1-.txt"), kSmallTrain);
  }
  ProgramRun Compile(const std::string& extra) {
    return RunProgram("compile L_linea.txt L_1-.txt " + extra, dir_.path());
  }
  size_t Entries() const { return Names(dir_.path()).size(); }
  TempFolder dir_;
};

TEST_F(HostileUse, ARunLeavesExactlyWhatItMakes) {
  // The built-in run: its six files, nothing else (no lock file either),
  // also when the folder holds the previous run's files.
  TempFolder builtin;
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(RunProgram("--out " + ShellQuote(builtin.path())).exit_status, 0);
    EXPECT_EQ(Names(builtin.path()), kBuiltInRunFiles) << run;
  }
  // compile: the three compiled files beside the inputs; a failed check and
  // --no-wait too.
  ASSERT_EQ(Compile("--no-wait").exit_status, 0);
  const std::set<std::string> compiled = {"L_linea.txt", "L_1-.txt", "L_linea.dat", "L_1.sim",
                                          "L_1.dat"};
  EXPECT_EQ(Names(dir_.path()), compiled);
  WriteFileOrDie(dir_.File("L_1-.txt"), "[generale]\r\nstazione, 1225, 100\r\n[fine]\r\n");
  EXPECT_EQ(Compile("").exit_status, 2);
  EXPECT_EQ(Names(dir_.path()), compiled);
}

TEST_F(HostileUse, ARunKilledAtAnyMomentLeavesNothingThatTheNextRunKeeps) {
  // SIGKILL leaves what the run had made: temporaries, the lock file. The
  // next run into the folder is not held up by them, removes the temporaries
  // of its own file names (saying so) and leaves its six files alone. A
  // temporary of a name the run does not write is not its to remove.
  TempFolder out;
  const std::string other = out.File("Other_1.dat.tmp-abc123");
  WriteFileOrDie(other, "someone else's");
  std::set<std::string> expected = kBuiltInRunFiles;
  expected.insert("Other_1.dat.tmp-abc123");
  for (int delay_ms : {0, 3, 6, 10, 15, 20, 30, 45, 60, 90}) {
    const std::string cd = "cd " + ShellQuote(out.path()) + " && ";
    // In a subshell whose own messages ("Killed") are dropped.
    Shell(cd + "(" + Program() + " --out . >/dev/null 2>&1 & sleep " +
          std::to_string(delay_ms / 1000.0) + "; kill -KILL $!; wait $!) 2>/dev/null; true");
    ProgramRun next = RunProgram("--out . --no-wait", out.path());
    EXPECT_EQ(next.exit_status, 0) << delay_ms << ": " << next.err;
    EXPECT_EQ(Names(out.path()), expected) << "after " << delay_ms << " ms";
    if (next.err.find("temporary file") != std::string::npos) {
      EXPECT_NE(next.err.find("left in . by an earlier run"), std::string::npos) << next.err;
    }
  }
  EXPECT_EQ(ReadFileOrDie(other), "someone else's");
  // Whether a kill caught the run while it wrote depends on the machine; a
  // temporary left by hand is removed and told in any case.
  WriteFileOrDie(out.File("Vastro - Dreo_2001.dat.tmp-Zz0042"), "half");
  ProgramRun next = RunProgram("--out .", out.path());
  EXPECT_EQ(next.exit_status, 0) << next.err;
  EXPECT_NE(next.err.find("removed 1 temporary file left in . by an earlier run"),
            std::string::npos)
      << next.err;
  EXPECT_EQ(Names(out.path()), expected);
}

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
  EXPECT_EQ(
      Names(dir_.path()),
      (std::set<std::string>{"L_linea.txt", "L_1-.txt", "L_linea.dat", "L_1.sim", "L_1.dat",
                             "Vastro - Dreo_2001_note.txt", "Vastro - Dreo_2001_rallentamenti.txt",
                             "Vastro - Dreo_2001_scheda_treno.txt", "Vastro - Dreo_linea.dat",
                             "Vastro - Dreo_2001.sim", "Vastro - Dreo_2001.dat"}));
}

// The built-in run in `folder`, sent `signal_number` after `delay_ms`; returns
// once it ended. It is started directly, with the signals' default actions:
// a shell's background job would ignore SIGINT.
void SignalTheBuiltInRun(const std::string& folder, int signal_number, int delay_ms) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(signal_number, SIG_DFL);
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    ::execl(SC_PROGRAM, SC_PROGRAM, "--out", ".", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_GT(pid, 0);
  ::usleep(static_cast<useconds_t>(delay_ms) * 1000);
  ::kill(pid, signal_number);
  int raw = 0;
  ::waitpid(pid, &raw, 0);
}

TEST_F(HostileUse, ASignalWhileWritingLeavesNoTemporaryFile) {
  // The built-in run's 940 kB plan takes a moment to write; signals sent
  // at different moments catch it before, during and after it takes the
  // lock and while it writes.
  for (int delay_ms : {0, 2, 5, 10, 20, 40}) {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE("signal " + std::to_string(signal_number) + " after " +
                   std::to_string(delay_ms) + " ms");
      SignalTheBuiltInRun(dir_.path(), signal_number, delay_ms);
      for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
      }
      EXPECT_FALSE(PathExists(dir_.File(".scenario-compiler.lock")));
    }
  }
}

}  // namespace
}  // namespace sc::testing
