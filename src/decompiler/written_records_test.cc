// The records written against what the compiled files hold: one edit of the
// built-in scenario per path the comparison finds that no reader warning
// tells, each warned at its field; the built-in scenario itself and the
// rules stay silent.
#include "decompiler/written_records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>

#include "compiler/compile.h"
#include "compiler/silent_paths.h"
#include "decompiler/round_trip.h"
#include "test_support.h"

namespace sc {
namespace {

struct Edit {
  bool line;  // the line description, else the train and service file
  const char* find;
  const char* replace;
};

struct Row {
  const char* id;  // the entry in the list of silent paths
  Edit edit;
  WarningClass told;
  int line;
  int column;
};

const Row kRows[] = {
    {"signal-carry",
     {false, "segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 0",
      "segnale,    1450,   2, 3, 0,  0, 0,    1,  13,0,0, 0"},
     WarningClass::kStoredValue,
     32,
     24},
    {"mountain-overlap",
     {true, "montagna,   1150,  1450,  12\r\n",
      "montagna,   1150,  1450,  12\r\nmontagna,   500,  600,  4\r\nmontagna,   1200,  1400,  "
      "5\r\n"},
     WarningClass::kOverwrite,
     44,
     1},
};

std::vector<Diagnostic> Check(const Edit* edit) {
  testing::BuiltInSource source = testing::BuiltInScenarioSource();
  if (edit) {
    std::string& text = edit->line ? *source.input.line_text : *source.input.train_text;
    const size_t at = text.find(edit->find);
    EXPECT_NE(at, std::string::npos) << edit->find;
    if (at != std::string::npos) text.replace(at, std::string(edit->find).size(), edit->replace);
  }
  Compilation c;
  DiagnosticSink sink;
  CompileScenario(source.input, source.state, c, &sink);
  EXPECT_EQ(source.state.error_code, kErrNone);
  const size_t before = sink.diagnostics().size();
  WarnWrittenAgainstStored(source.input, c, sink);
  return {sink.diagnostics().begin() + static_cast<std::ptrdiff_t>(before),
          sink.diagnostics().end()};
}

std::string Listed(const std::vector<Diagnostic>& ds) {
  std::string all;
  for (const Diagnostic& d : ds) {
    all += std::to_string(d.place.line) + ":" + std::to_string(d.place.column) + " [" +
           WarningClassName(d.warning_class) + "] " + d.message + "\n";
  }
  return all;
}

TEST(WrittenRecordsTest, TheBuiltInScenarioIsHeldAsWritten) {
  const std::vector<Diagnostic> found = Check(nullptr);
  EXPECT_TRUE(found.empty()) << Listed(found);
}

TEST(WrittenRecordsTest, EachPathFoundIsWarnedAtItsFieldAndListed) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.id);
    bool listed = false;
    for (const SilentPath& p : SilentPaths()) {
      if (row.id == std::string(p.id)) {
        listed = true;
        EXPECT_TRUE(p.by_comparison);
        EXPECT_EQ(p.told, row.told);
      }
    }
    EXPECT_TRUE(listed);
    const std::vector<Diagnostic> found = Check(&row.edit);
    bool at_field = false;
    for (const Diagnostic& d : found) {
      at_field = at_field || (d.warning_class == row.told && d.place.line == row.line &&
                              d.place.column == row.column);
    }
    EXPECT_TRUE(at_field) << Listed(found);
  }
}

TEST(WrittenRecordsTest, EveryPathTheComparisonFindsHasARow) {
  for (const SilentPath& p : SilentPaths()) {
    if (!p.by_comparison) continue;
    bool row = false;
    for (const Row& r : kRows) row = row || r.id == std::string(p.id);
    EXPECT_TRUE(row) << p.id;
  }
}

// Every fuzz corpus input that compiles is checked, with and without the
// route plan, without a fault; an input that then shows no warning at all
// decompiles to texts that give its bytes back.
TEST(WrittenRecordsTest, EveryCorpusInputIsCheckedAndACleanOneDecompilesBack) {
  const std::filesystem::path corpus =
      std::filesystem::path(SC_SOURCE_DIR) / "fuzz" / "corpus" / "compile_fuzz";
  int checked = 0, clean = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const TextPair texts = SplitTextPair(testing::ReadFileOrDie(entry.path().string()));
    for (int32_t flag : {0, 1}) {
      RunState state;
      state.line_name = "Fuzz";
      state.train_number = "1";
      state.compile_flag = flag;
      Compilation c;
      DiagnosticSink sink;
      const CompileInput input{"line", texts.line, "train", texts.train};
      const CompileOutcome outcome = CompileScenario(input, state, c, &sink);
      if (state.error_code != kErrNone || !HasCompiledOutput(outcome, c)) continue;
      ++checked;
      WarnWrittenAgainstStored(input, c, sink);
      if (sink.warning_count() != 0) continue;
      ++clean;
      const std::optional<CompiledBytes> bytes = CompileToBytes(texts.line, texts.train, state);
      ASSERT_TRUE(bytes.has_value()) << entry.path();
      EXPECT_EQ(CheckRoundTrip(*bytes), "") << entry.path() << " with compile flag " << flag;
    }
  }
  EXPECT_GT(checked, 0);
  std::cout << "written against stored: " << checked << " compiles checked, " << clean
            << " without a warning\n";
}

}  // namespace
}  // namespace sc
