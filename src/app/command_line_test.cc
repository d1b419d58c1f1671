// The command line against an in-memory file system: control bytes kept off
// the terminal, the built-in run into the program's folder, and the run from
// the desktop.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "compiler/compiled_files.h"
#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

struct Outcome {
  int status;
  std::string out, err;
};

Outcome RunArgs(MemEnv& env, std::vector<std::string> args) {
  args.insert(args.begin(), "scenario-compiler");
  testing::RecordingUi ui;
  std::ostringstream out, err;
  int status = RunCommandLine(args, env, ui, out, err);
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
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine({"scenario-compiler"}, env, ui, out, err), 0) << err.str();
  EXPECT_TRUE(env.FileExists(JoinPath("bin", "Vastro - Dreo_2001.dat")));
  EXPECT_EQ(ui.waits, 1);

  MemEnv unknown;
  std::ostringstream err2;
  EXPECT_EQ(RunCommandLine({"scenario-compiler"}, unknown, ui, out, err2), 1);
  EXPECT_NE(err2.str().find("cannot find the program's folder"), std::string::npos);
}

TEST(CommandLine, WithoutConsoleAFailedWriteIsShownAsAMessage) {
  MemEnv env;
  env.folders.insert("bin");
  env.program_folder = "bin";
  env.failing_paths.insert(JoinPath("bin", "Vastro - Dreo_2001.sim"));
  testing::RecordingUi ui;
  std::ostringstream out;
  EXPECT_EQ(RunWithoutConsole({"scenario-compiler"}, env, ui, out), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0],
            "scenario-compiler: " + JoinPath("bin", "Vastro - Dreo_2001.sim") + ": write failed\n");

  // A clean run shows nothing but the waiting indicator.
  MemEnv clean;
  clean.folders.insert("bin");
  clean.program_folder = "bin";
  testing::RecordingUi quiet;
  EXPECT_EQ(RunWithoutConsole({"scenario-compiler"}, clean, quiet, out), 0);
  EXPECT_TRUE(quiet.messages.empty());
  EXPECT_EQ(quiet.waits, 1);
}

}  // namespace
}  // namespace sc
