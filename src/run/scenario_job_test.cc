#include "run/scenario_job.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/mem_env.h"
#include "platform/paths.h"
#include "test_support.h"

namespace sc {
namespace {

// A path in the test's folder "d", spelt the platform's way.
std::string In(const std::string& name) { return JoinPath("d", name); }

TEST(ScenarioJob, NamesFromArgumentsOrFileNamesAndSaysHowToGiveOne) {
  struct Case {
    const char* line_file;
    const char* train_file;
    const char* line_name;  // as given; "" = from the file
    const char* train_number;
    const char* line;  // the names taken, or "" when the step fails
    const char* train;
    const char* told;  // part of the failure's message
  } cases[] = {
      {"d/L_linea.txt", "d/L_7-.txt", "", "", "L", "7", ""},
      {"d/a.txt", "d/b.txt", "Line", "9", "Line", "9", ""},
      {"d/a.txt", "d/L_7-.txt", "", "", "", "", "give one with --line NAME"},
      {"d/L_linea.txt", "d/b.txt", "", "", "", "", "give one with --train NUMBER"},
      {"d/L_linea.txt", "d/L_7-.txt", "..", "", "", "", "the line name \"..\" is \"..\""},
      {"d/L_linea.txt", "d/L_7-.txt", "", "a\\b", "", "", "the train number \"a\\b\" contains"},
  };
  MemEnv env;
  for (const Case& c : cases) {
    ScenarioJob job(env, c.line_file, c.train_file);
    Status s = job.NameFromArguments(c.line_name, c.train_number);
    if (*c.line) {
      ASSERT_TRUE(s.ok()) << s.message();
      EXPECT_EQ(job.line_name(), c.line);
      EXPECT_EQ(job.train_number(), c.train);
    } else {
      EXPECT_TRUE(s.IsInvalid()) << c.told;
      EXPECT_NE(s.message().find(c.told), std::string::npos) << s.message();
    }
  }
  // Without options to give them, both names must come from the files.
  ScenarioJob job(env, "d/a.txt", "d/L_7-.txt");
  EXPECT_TRUE(job.NameFromFiles().IsInvalid());
}

// A compiled file's name that is one of the inputs is refused before
// anything is written, whichever input it is.
TEST(ScenarioJob, RefusesACompiledFileThatWouldLandOnAnInput) {
  MemEnv env;
  env.folders.insert("d");
  env.files[In("L_linea.txt")] = "x";
  env.files[In("L_7.dat")] = "x";  // the grid file's name for line L, train 7
  ScenarioJob job(env, In("L_linea.txt"), In("L_7.dat"));
  ASSERT_TRUE(job.NameFromArguments("", "7").ok());
  ASSERT_TRUE(job.SpellNames().ok());
  job.state().compile_flag = 1;
  job.SendOutputTo("");
  EXPECT_TRUE(job.CheckOutputNames().ok());
  Status kept = job.CheckInputsKept();
  EXPECT_TRUE(kept.IsInvalid());
  EXPECT_EQ(kept.message(),
            In("L_7.dat") + ": would overwrite an input file; choose another --out");
}

// The output folder is made, with the folders above it, and told once; a
// file in its way is refused with the system's reason.
TEST(ScenarioJob, MakesAMissingOutputFolder) {
  MemEnv env;
  env.files["f"] = "x";
  ScenarioJob job(env, "L_linea.txt", "L_7-.txt");
  ASSERT_TRUE(job.NameFromFiles().ok());
  ASSERT_TRUE(job.SpellNames().ok());
  job.SendOutputTo("e/g");
  EXPECT_TRUE(job.CheckOutputNames().ok());
  EXPECT_FALSE(env.FolderExists("e/g"));
  std::ostringstream err;
  ASSERT_TRUE(job.MakeOutputFolder(err).ok());
  EXPECT_TRUE(env.FolderExists("e") && env.FolderExists("e/g"));
  EXPECT_EQ(err.str(), "scenario-compiler: created folder e/g\n");
  err.str("");
  ASSERT_TRUE(job.MakeOutputFolder(err).ok());
  EXPECT_EQ(err.str(), "");
  for (const std::string folder : {"f", "f/g"}) {
    job.SendOutputTo(folder);
    Status refused = job.MakeOutputFolder(err);
    EXPECT_EQ(refused.message(), folder == "f"
                                     ? "cannot create the output folder f: Not a directory"
                                     : "cannot create the output folder f/g: f: Not a directory");
  }
  EXPECT_EQ(err.str(), "");
}

TEST(ScenarioJob, ReadsCompilesAndWritesTheBuiltInScenario) {
  const testing::BuiltInSource source = testing::BuiltInScenarioSource();
  MemEnv env;
  env.folders.insert("d");
  env.files[In("L_linea.txt")] = *source.input.line_text;
  env.files[In("L_2001-.txt")] = *source.input.train_text;
  ScenarioJob job(env, In("L_linea.txt"), In("L_2001-.txt"));
  ASSERT_TRUE(job.NameFromFiles().ok());
  ASSERT_TRUE(job.SpellNames().ok());
  job.state().compile_flag = 1;
  std::ostringstream err;
  ASSERT_TRUE(job.Lock(false, err).ok());
  ASSERT_TRUE(job.Read().ok());
  DiagnosticSink sink;
  job.Compile(&sink);
  job.Report(sink, DiagnosticFormat::kText, err);
  EXPECT_EQ(err.str(), "");
  ASSERT_TRUE(job.HasOutput());
  ASSERT_TRUE(job.Write().ok());
  for (const std::string& name : {In("L_linea.dat"), In("L_2001.sim"), In("L_2001.dat")}) {
    EXPECT_TRUE(env.FileExists(name)) << name;
  }
}

// Read fails on a missing input, naming it; ReadPresent leaves a missing
// line description to the compiler, which reports it as a check.
TEST(ScenarioJob, AMissingInputFailsTheReadButIsACheckForReadPresent) {
  MemEnv env;
  env.files["d/L_2001-.txt"] = "[generale]\r\n[fine]\r\n";
  ScenarioJob job(env, "d/L_linea.txt", "d/L_2001-.txt");
  Status read = job.Read();
  EXPECT_TRUE(read.IsNotFound());
  EXPECT_NE(read.message().find("d/L_linea.txt"), std::string::npos) << read.message();
  ASSERT_TRUE(job.ReadPresent().ok());
  EXPECT_FALSE(job.input().line_text);
  EXPECT_FALSE(job.input().train_text);
  job.Compile();
  EXPECT_EQ(job.state().error_code, kErrNoLineFile);
  EXPECT_FALSE(job.HasOutput());
}

}  // namespace
}  // namespace sc
