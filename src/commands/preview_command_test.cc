#include "commands/preview_command.h"
#include "commands/scenario_source.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "compiler/compiled_files.h"
#include "documents/documents.h"
#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

using testing::Count;

class PreviewCommandTest : public ::testing::Test {
 protected:
  PreviewCommandTest() {
    state_.line_name = kBuiltInLineName;
    state_.train_number = kBuiltInTrainNumber;
    const testing::ScenarioTextFiles files = testing::PutBuiltInDocuments(env_, "in");
    line_file_ = files.line_file;
    train_file_ = files.train_file;
  }

  int FromTexts(const std::string& output = "") {
    PreviewOptions options;
    options.line_file = line_file_;
    options.train_file = train_file_;
    options.output = output;
    return RunPreviewCommand(env_, options, out_, err_);
  }

  // Inserts `line` into the train and service file before its "[fine]".
  void AddTrainLine(const std::string& line) {
    std::string& text = env_.files[train_file_];
    text.insert(text.find("[fine]"), line + "\r\n");
  }

  std::string DefaultPicture() const { return JoinPath("in", "Vastro - Dreo_2001_preview.svg"); }

  MemEnv env_;
  RunState state_;
  std::string line_file_, train_file_;
  std::ostringstream out_, err_;
};

TEST_F(PreviewCommandTest, CompilesTheTextFilesAndLeavesThemAlone) {
  const std::map<std::string, std::string> before = env_.files;
  EXPECT_EQ(FromTexts(), 0) << err_.str();
  ASSERT_TRUE(env_.FileExists(DefaultPicture()));
  EXPECT_EQ(Count(env_.files[DefaultPicture()], "class=\"signal\""), 24u);
  // Only the picture was added: no compiled file, no input changed or deleted.
  EXPECT_EQ(env_.files.size(), before.size() + 1);
  for (const auto& [path, bytes] : before) EXPECT_EQ(env_.files[path], bytes) << path;
}

TEST_F(PreviewCommandTest, AFailedCheckStillDrawsWhatWasCompiled) {
  AddTrainLine("segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 0");  // the cell is taken
  EXPECT_EQ(FromTexts(), 2);
  EXPECT_NE(err_.str().find("error 16"), std::string::npos) << err_.str();
  EXPECT_TRUE(env_.FileExists(DefaultPicture()));
}

TEST_F(PreviewCommandTest, TheReservedPlaceMessageDrawsNothing) {
  AddTrainLine("abbattimento,   50,   7");  // sets cell 1's value
  EXPECT_EQ(FromTexts(), 3);
  EXPECT_NE(err_.str().find("Errore n. 1250"), std::string::npos) << err_.str();
  EXPECT_FALSE(env_.FileExists(DefaultPicture()));
  // The reason the viewer shows is the message itself, not the terminal's
  // line with its leading blank.
  SourceRequest request;
  request.line_file = line_file_;
  request.train_file = train_file_;
  std::ostringstream err;
  EXPECT_EQ(LoadScenario(env_, request, err).problem, "Errore n. 1250");
}

TEST_F(PreviewCommandTest, NeverOverwritesAnInput) {
  const std::string line_bytes = env_.files[line_file_];
  EXPECT_EQ(FromTexts(line_file_), 1);
  EXPECT_EQ(env_.files[line_file_], line_bytes);
  EXPECT_NE(err_.str().find("would overwrite an input file"), std::string::npos);
}

}  // namespace
}  // namespace sc
