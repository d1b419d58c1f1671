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
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  testing::RecordingUi ui;
  std::ostringstream out, err;
  int status = RunCommandLine(static_cast<int>(argv.size()), argv.data(), env, ui, out, err);
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
      RunArgs(env, {"dump", "s.sim"}),                                            // a station name
      RunArgs(env, {"compile", "l_linea.txt", "t.txt", "--line", hostile, "--train", "1"}),  // a name
      RunArgs(env, {"dump", hostile + ".sim"}),                                   // a missing file
  };
  for (const Outcome& r : runs) {
    EXPECT_FALSE(HasControlByte(r.out)) << r.out;
    EXPECT_FALSE(HasControlByte(r.err)) << r.err;
    EXPECT_NE((r.out + r.err).find(shown), std::string::npos) << r.out << r.err;
  }
}

}  // namespace
}  // namespace sc
