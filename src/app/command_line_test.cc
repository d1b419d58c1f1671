// The command line against an in-memory file system: control bytes kept off
// the terminal, the built-in run into the program's folder, and the run from
// the desktop.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "commands/json_rpc.h"
#include "compiler/compiled_files.h"
#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

struct Outcome {
  int status;
  std::string out, err;
};

Outcome RunArgs(MemEnv& env, std::vector<std::string> args, const std::string& input = "") {
  args.insert(args.begin(), "scenario-compiler");
  testing::RecordingUi ui;
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = RunCommandLine(args, env, ui, in, out, err);
  return {status, out.str(), err.str()};
}

bool HasControlByte(const std::string& text) {
  for (char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\n') || b == 0x7F) return true;
  }
  return false;
}

TEST(CommandLine, ControlBytesFromFilesAndArgumentsNeverReachTheTerminal) {
  const std::string hostile = "a\x1B]0;owned\x07\x08\x7F\r\x1B[2Jb";
  const std::string shown = "a\\x1B]0;owned\\x07\\x08\\x7F\\x0D\\x1B[2Jb";
  MemEnv env;
  StationTable stations;
  stations.slots[1].kind = 12;
  stations.slots[1].name = hostile;
  env.files["s.sim"] = EncodeStationFile(stations);
  env.files[hostile + "_linea.txt"] = "[generale]\r\n[fine]\r\n";
  env.files["t.txt"] = "[generale]\r\n[fine]\r\n";
  env.folders.insert(".");

  const Outcome runs[] = {
      RunArgs(env, {"dump", "s.sim"}),  // a station name
      RunArgs(env,
              {"compile", "l_linea.txt", "t.txt", "--line", hostile, "--train", "1"}),  // a name
      RunArgs(env, {"dump", hostile + ".sim"}),  // a missing file
  };
  for (const Outcome& r : runs) {
    EXPECT_FALSE(HasControlByte(r.out)) << r.out;
    EXPECT_FALSE(HasControlByte(r.err)) << r.err;
    EXPECT_NE((r.out + r.err).find(shown), std::string::npos) << r.out << r.err;
  }
}

TEST(CommandLine, WithoutArgumentsTheBuiltInRunWritesIntoTheProgramsFolder) {
  MemEnv env;
  env.folders.insert("bin");
  env.program_folder = "bin";
  testing::RecordingUi ui;
  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine({"scenario-compiler"}, env, ui, in, out, err), 0) << err.str();
  EXPECT_TRUE(env.FileExists(JoinPath("bin", "Vastro - Dreo_2001.dat")));
  EXPECT_EQ(ui.waits, 1);

  MemEnv unknown;
  std::ostringstream err2;
  EXPECT_EQ(RunCommandLine({"scenario-compiler"}, unknown, ui, in, out, err2), 1);
  EXPECT_NE(err2.str().find("cannot find the program's folder"), std::string::npos);
}

std::string Request(int id, const std::string& method) {
  return FrameMessage(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" + method +
                      R"("})");
}

std::string Notification(const std::string& method) {
  return FrameMessage(R"({"jsonrpc":"2.0","method":")" + method + R"("})");
}

// The language server reads the input the command line is given, like every
// command, and ends at "exit" (what follows is left unread) or at the end of
// the input.
TEST(CommandLine, TheLanguageServerReadsTheGivenInput) {
  struct Case {
    const char* what;
    std::string input;
    int status;
    std::vector<std::string> answered, unanswered;
    std::string logged;
  };
  const Case cases[] = {
      {"shutdown then exit",
       Request(1, "initialize") + Request(2, "shutdown") + Notification("exit") +
           Request(3, "shutdown"),
       0,
       {R"("id":1)", R"("id":2)"},
       {R"("id":3)"},
       ""},
      {"exit without shutdown", Request(1, "initialize") + Notification("exit"), 1, {}, {}, ""},
      {"the input ends", Request(1, "initialize"), 1, {R"("id":1)"}, {}, ""},
      {"a broken header",
       "Content-Length: x\r\n\r\n" + Request(1, "initialize") + Request(2, "shutdown") +
           Notification("exit"),
       0,
       {R"("id":1)", R"("id":2)"},
       {},
       "scenario-compiler lsp: a header block without a valid Content-Length\n"},
  };
  for (const Case& c : cases) {
    MemEnv env;
    const Outcome r = RunArgs(env, {"lsp"}, c.input);
    EXPECT_EQ(r.status, c.status) << c.what;
    for (const std::string& id : c.answered) {
      EXPECT_NE(r.out.find(id), std::string::npos) << c.what << ": " << id;
    }
    for (const std::string& id : c.unanswered) {
      EXPECT_EQ(r.out.find(id), std::string::npos) << c.what << ": " << id;
    }
    EXPECT_EQ(r.err, c.logged) << c.what;
  }
}

TEST(CommandLine, WithoutConsoleAFailedWriteIsShownAsAMessage) {
  MemEnv env;
  env.folders.insert("bin");
  env.program_folder = "bin";
  env.failing_paths.insert(JoinPath("bin", "Vastro - Dreo_2001.sim"));
  testing::RecordingUi ui;
  std::istringstream in;
  std::ostringstream out;
  EXPECT_EQ(RunWithoutConsole({"scenario-compiler"}, env, ui, in, out), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0],
            "scenario-compiler: " + JoinPath("bin", "Vastro - Dreo_2001.sim") + ": write failed\n");

  // A clean run shows nothing but the waiting indicator.
  MemEnv clean;
  clean.folders.insert("bin");
  clean.program_folder = "bin";
  testing::RecordingUi quiet;
  EXPECT_EQ(RunWithoutConsole({"scenario-compiler"}, clean, quiet, in, out), 0);
  EXPECT_TRUE(quiet.messages.empty());
  EXPECT_EQ(quiet.waits, 1);
}

// A mistyped command or option is named, in the order given, with the
// nearest one as a suggestion when one is near.
TEST(CommandLine, MistypedCommandsAndOptionsGetASuggestion) {
  const struct {
    std::vector<std::string> args;
    std::string told;
  } cases[] = {
      {{"compil", "a", "b"}, "'compil' is not a command; did you mean 'compile'?"},
      {{"Emit"}, "'Emit' is not a command; did you mean 'emit'?"},
      {{"frobnicate"}, "'frobnicate' is not a command"},
      {{"compile", "l", "t", "--dryrun"},
       "unknown option '--dryrun' for compile; did you mean '--dry-run'?"},
      {{"emit", "--forse"}, "unknown option '--forse' for emit; did you mean '--force'?"},
      {{"--outt", "x"}, "unknown option '--outt'; did you mean '--out'?"},
      {{"dump", "a", "b"}, "unexpected argument 'b' for dump"},
  };
  for (const auto& c : cases) {
    MemEnv env;
    Outcome run = RunArgs(env, c.args);
    EXPECT_EQ(run.status, 1) << c.told;
    EXPECT_EQ(run.err,
              "scenario-compiler: " + c.told + "\nRun 'scenario-compiler --help' for usage.\n");
  }
}

// Options begin with "-" on every platform: a path beginning with "/" (valid
// on Windows too) is a path.
TEST(CommandLine, APathBeginningWithASlashIsNoOption) {
  MemEnv env;
  Outcome run = RunArgs(env, {"dump", "/users/me/x.sim"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "scenario-compiler: /users/me/x.sim: No such file or directory\n");
}

}  // namespace
}  // namespace sc
