#include "commands/view_command.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

class ViewCommandTest : public ::testing::Test {
 protected:
  ViewCommandTest() {
    const testing::ScenarioTextFiles files = testing::PutBuiltInDocuments(env_, "in");
    line_file_ = files.line_file;
    train_file_ = files.train_file;
  }

  int Run(const std::string& output = "") {
    ViewOptions options;
    options.line_file = line_file_;
    options.train_file = train_file_;
    options.output = output;
    return RunViewCommand(env_, options, out_, err_);
  }

  const std::string Page() const { return JoinPath("in", "Vastro - Dreo_2001_view.html"); }

  MemEnv env_;
  std::string line_file_, train_file_;
  std::ostringstream out_, err_;
};

TEST_F(ViewCommandTest, WritesOneSelfContainedPageBesideTheInputs) {
  const std::string line_before = env_.files[line_file_];
  ASSERT_EQ(Run(), 0) << err_.str();
  EXPECT_EQ(out_.str(), "wrote " + Page() + "\n");
  ASSERT_EQ(env_.files.count(Page()), 1u);
  const std::string& page = env_.files[Page()];
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  // Everything inline: no placeholder left, nothing to fetch.
  EXPECT_EQ(page.find("@VIEW_"), std::string::npos);
  EXPECT_EQ(page.find("@SCENARIO_DATA@"), std::string::npos);
  EXPECT_EQ(page.find(" src="), std::string::npos);
  EXPECT_EQ(page.find("http"), std::string::npos);
  EXPECT_NE(page.find("scenarioView"), std::string::npos);
  // The data names the records (provenance is on for view).
  EXPECT_NE(page.find("\"records\":[{"), std::string::npos);
  EXPECT_NE(page.find("Castelletto"), std::string::npos);
  EXPECT_EQ(env_.files[line_file_], line_before);
}

TEST_F(ViewCommandTest, AFailedCheckIsListedAndThePageStillWritten) {
  std::string& train = env_.files[train_file_];
  train.replace(train.find("segnale,    5050,"), 17, "segnale,    2810,");
  EXPECT_EQ(Run(), 2);
  EXPECT_NE(err_.str().find("error 16"), std::string::npos);
  const std::string& page = env_.files[Page()];
  EXPECT_NE(page.find("\"severity\":\"error\",\"class\":\"error 16\""), std::string::npos);
  EXPECT_NE(page.find("\"line\":34"), std::string::npos);
}

TEST_F(ViewCommandTest, NeverOverwritesAnInput) {
  const std::string line_before = env_.files[line_file_];
  EXPECT_EQ(Run(line_file_), 1);
  EXPECT_NE(err_.str().find("would overwrite an input file"), std::string::npos);
  EXPECT_EQ(env_.files[line_file_], line_before);
}

// From compiled files the records are those of the decompiled texts, where
// a decompile gives the files back; a file no text gives leaves them out.
TEST_F(ViewCommandTest, FromCompiledFilesHasTheDecompiledRecords) {
  RunState state;
  const Compilation compilation = testing::CompileBuiltInScenario(nullptr, &state);
  ASSERT_TRUE(WriteCompiledFiles(env_, "out", state, compilation).ok());
  ViewOptions options;
  options.compiled = {JoinPath("out", RoutePlanFileName(state)),
                      JoinPath("out", StationFileName(state)),
                      JoinPath("out", GridFileName(state))};
  const std::string page_path = JoinPath("out", "Vastro - Dreo_2001_view.html");
  ASSERT_EQ(RunViewCommand(env_, options, out_, err_), 0) << err_.str();
  std::string page = env_.files[page_path];
  EXPECT_NE(page.find("\"records\":[{"), std::string::npos);
  EXPECT_NE(page.find("Vastro - Dreo_2001-.txt"), std::string::npos);
  EXPECT_NE(page.find("stazione,    9850, 12,  600"), std::string::npos);

  std::string& grid = env_.files[options.compiled[2]];
  grid[100 * 15] = 9;  // a kind no record gives
  ASSERT_EQ(RunViewCommand(env_, options, out_, err_), 0) << err_.str();
  page = env_.files[page_path];
  EXPECT_NE(page.find("\"records\":null"), std::string::npos);
  EXPECT_NE(page.find("Castelletto"), std::string::npos);
}

}  // namespace
}  // namespace sc
