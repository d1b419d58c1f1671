#include "run/scenario_names.h"

#include <gtest/gtest.h>

#include "platform/native_text.h"

namespace sc {
namespace {

TEST(ScenarioNames, FromFileNames) {
  EXPECT_EQ(LineNameFromFile("dir/Vastro - Dreo_linea.txt"), "Vastro - Dreo");
  EXPECT_EQ(LineNameFromFile("_linea.txt"), std::nullopt);
  EXPECT_EQ(LineNameFromFile("line.txt"), std::nullopt);
  EXPECT_EQ(TrainNumberFromFile("a/Vastro - Dreo_2001-.txt", std::string("Vastro - Dreo")), "2001");
  // The line name itself may hold "_": the known line name is stripped first.
  EXPECT_EQ(TrainNumberFromFile("My_Line_7_b-.txt", std::string("My_Line")), "7_b");
  EXPECT_EQ(TrainNumberFromFile("My_Line_7-.txt", std::nullopt), "7");
  EXPECT_EQ(TrainNumberFromFile("train.txt", std::nullopt), std::nullopt);
}

TEST(ScenarioNames, NamePartProblems) {
  EXPECT_TRUE(CheckNamePart("Vastro - Dreo").ok());
  EXPECT_TRUE(CheckNamePart("Citt\xE0").ok());
  for (const char* bad : {"", ".", "..", "a/b", "a\\b", "a\tb", "a\x7f"}) {
    Status s = CheckNamePart(bad);
    EXPECT_TRUE(s.IsInvalid()) << bad;
    EXPECT_NE(s.message(), "") << bad;
  }
}

// Names reach the program spelt the platform's way; inside the files they
// are Windows-1252.
TEST(ScenarioNames, NamesInsideTheFilesAreWindows1252) {
  if (NativeTextIsCp1252()) GTEST_SKIP() << "arguments arrive as Windows-1252 already";
  struct Case {
    const char* native;
    const char* text;
    bool file_part_differs;
  } cases[] = {
      {"Vastro - Dreo", "Vastro - Dreo", false},
      {"\xC3\x88RTO \xC3\x97 \xC5\xA0\xC5\x92\xC5\xBD\xC5\xB8 - Dreo",
       "\xC8RTO \xD7 \x8A\x8C\x8E\x9F - Dreo", true},
      // Not UTF-8: a name copied from a Windows machine, taken as it stands.
      {"\xC8RTO", "\xC8RTO", false},
  };
  for (const Case& k : cases) {
    RunState state;
    EXPECT_TRUE(SetScenarioNames(k.native, "2001", state).ok()) << k.native;
    EXPECT_EQ(state.line_name, k.text);
    EXPECT_EQ(state.LineFilePart(), k.native);
    EXPECT_EQ(!state.line_file_part.empty(), k.file_part_differs);
    EXPECT_EQ(state.TrainFilePart(), "2001");
  }
  RunState state;
  Status s = SetScenarioNames("Linea", "\xCE\xA9-7", state);
  EXPECT_TRUE(s.IsInvalid());
  const std::string& problem = s.message();
  EXPECT_NE(problem.find("train number"), std::string::npos) << problem;
  EXPECT_NE(problem.find("\"\xCE\xA9\""), std::string::npos) << problem;
}

}  // namespace
}  // namespace sc
