// `preview --from-compiled` through the command line: the compiled files of
// the built-in run drawn with and without the route plan, and bad input
// refused with the file named.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "compiler/compiled_files.h"
#include "documents/documents.h"
#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

using testing::Count;

class PreviewCompiledTest : public ::testing::Test {
 protected:
  PreviewCompiledTest() {
    testing::RunBuiltInScenarioInto(env_, "out");
    state_.line_name = kBuiltInLineName;
    state_.train_number = kBuiltInTrainNumber;
    plan_ = JoinPath("out", RoutePlanFileName(state_));
    sim_ = JoinPath("out", StationFileName(state_));
    dat_ = JoinPath("out", GridFileName(state_));
  }

  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "scenario-compiler");
    testing::RecordingUi ui;
    std::istringstream in;
    return RunCommandLine(args, env_, ui, in, out_, err_);
  }

  MemEnv env_;
  RunState state_;
  std::string plan_, sim_, dat_;
  std::ostringstream out_, err_;
};

TEST_F(PreviewCompiledTest, DrawsWithAndWithoutTheRoutePlan) {
  struct Case {
    std::vector<std::string> files;
    bool plan;
  };
  const Case cases[] = {
      {{plan_, sim_, dat_}, true}, {{"-", sim_, dat_}, false}, {{sim_, dat_}, false}};
  for (const Case& c : cases) {
    std::vector<std::string> args = {"preview", "--from-compiled"};
    args.insert(args.end(), c.files.begin(), c.files.end());
    args.insert(args.end(), {"-o", "pic.svg"});
    ASSERT_EQ(Run(args), 0) << err_.str();
    const std::string& svg = env_.files["pic.svg"];
    EXPECT_EQ(Count(svg, "class=\"plan-station\""), c.plan ? 10u : 0u) << c.files.size();
    EXPECT_EQ(Count(svg, "class=\"no-plan-note\""), c.plan ? 0u : 1u) << c.files.size();
    EXPECT_EQ(Count(svg, "class=\"station\""), 10u);
  }
}

TEST_F(PreviewCompiledTest, DefaultNameIsBesideTheCompiledFiles) {
  EXPECT_EQ(Run({"preview", "--from-compiled", plan_, sim_, dat_}), 0) << err_.str();
  EXPECT_TRUE(env_.FileExists(JoinPath("out", "Vastro - Dreo_2001_preview.svg")));
}

TEST_F(PreviewCompiledTest, RefusesBadInput) {
  env_.files["short.dat"] = env_.files[dat_].substr(0, 20);
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"preview"}, "LINE_FILE TRAIN_FILE or --from-compiled"},
      {{"preview", "a_linea.txt", "a_1-.txt", "--from-compiled", sim_, dat_}, "excludes"},
      {{"preview", "--from-compiled", plan_, sim_, "short.dat"}, "grid file"},
      {{"preview", "--from-compiled", plan_, sim_, "missing.dat"}, "missing.dat"},
      {{"preview", "--from-compiled", plan_, sim_, dat_, "-o", sim_},
       "would overwrite an input file"},
  };
  const std::string sim_bytes = env_.files[sim_];
  for (const Case& c : cases) {
    err_.str("");
    EXPECT_EQ(Run(c.args), 1) << c.message;
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
  }
  EXPECT_EQ(env_.files[sim_], sim_bytes);
}

TEST_F(PreviewCompiledTest, RefusesAPlanPointFarOutside) {
  // Metres 0 and 1 are 16-bit integers (4 bytes each); metre 2's x value
  // follows its 2-byte type code.
  std::string& plan = env_.files[plan_];
  for (double v : {1e9, 1e62, 1e300}) {
    std::memcpy(&plan[10], &v, sizeof v);
    err_.str("");
    EXPECT_EQ(Run({"preview", "--from-compiled", plan_, sim_, dat_, "-o", "pic.svg"}), 1) << v;
    EXPECT_NE(err_.str().find("route plan: the point at metre 2 lies more than"), std::string::npos)
        << err_.str();
    EXPECT_FALSE(env_.FileExists("pic.svg"));
  }
}

}  // namespace
}  // namespace sc
