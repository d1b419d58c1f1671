#include "app/scenario_names.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(NamePartProblem("Vastro - Dreo"), "");
  EXPECT_EQ(NamePartProblem("Citt\xE0"), "");
  for (const char* bad : {"", ".", "..", "a/b", "a\\b", "a\tb", "a\x7f"}) {
    EXPECT_NE(NamePartProblem(bad), "") << bad;
  }
}

TEST(ScenarioNames, Paths) {
  EXPECT_EQ(BaseName("a/b/c.txt"), "c.txt");
  EXPECT_EQ(FolderOf("a/b/c.txt"), "a/b");
  EXPECT_EQ(FolderOf("c.txt"), ".");
  EXPECT_EQ(FolderOf("/c.txt"), "/");
}

}  // namespace
}  // namespace sc
