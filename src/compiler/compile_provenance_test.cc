// The readers and encoders with a provenance recorder: what they record,
// and that recording changes nothing they build.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

#include "test_support.h"

#include "compiler/compile.h"
#include "compiler/diagnostic.h"
#include "compiler/record_format.h"
#include "compiler/record_lines.h"
#include "model/provenance.h"

namespace sc {
namespace {

const char* const kLineFile = "Vastro - Dreo_linea.txt";
const char* const kTrainFile = "Vastro - Dreo_2001-.txt";

class CompileProvenanceTest : public ::testing::Test {
 protected:
  // The record read from `file` at `line`.
  static const SourceRecord* At(const Provenance& p, const std::string& file, int line, int* id) {
    for (size_t i = 0; i < p.records().size(); ++i) {
      if (p.records()[i].file == file && p.records()[i].line == line) {
        *id = static_cast<int>(i);
        return &p.records()[i];
      }
    }
    return nullptr;
  }
};

TEST_F(CompileProvenanceTest, RecordingChangesNothingCompiled) {
  RunState plain_state, recorded_state;
  Provenance p;
  Compilation plain = testing::CompileBuiltInScenario(nullptr, &plain_state);
  Compilation recorded = testing::CompileBuiltInScenario(&p, &recorded_state);
  ASSERT_TRUE(plain.grid && recorded.grid);
  EXPECT_EQ(plain.grid->cells(), recorded.grid->cells());
  EXPECT_EQ(plain.stations.slots, recorded.stations.slots);
  ASSERT_TRUE(plain.plan && recorded.plan);
  // Only the metres below `filled` were computed (the rest is never read).
  ASSERT_EQ(plain.plan->filled(), recorded.plan->filled());
  const testing::PlanColumns a = testing::PointsOf(*plain.plan);
  const testing::PlanColumns b = testing::PointsOf(*recorded.plan);
  ASSERT_EQ(a.x.size(), static_cast<size_t>(plain.plan->filled()));
  for (size_t m = 0; m < a.x.size(); ++m) {
    ASSERT_EQ(a.x[m], b.x[m]) << m;
    ASSERT_EQ(a.y[m], b.y[m]) << m;
  }
  EXPECT_EQ(plain_state.error_code, recorded_state.error_code);
}

TEST_F(CompileProvenanceTest, SignalsProfilesAndStationsNameTheirRecords) {
  RunState state;
  Provenance p;
  Compilation c = testing::CompileBuiltInScenario(&p, &state);
  ASSERT_EQ(state.error_code, 0);

  // "segnale, 2800, ..." on line 33: its cell 57 and countdown cells 55 to 49.
  int signal = kNoRecord;
  const SourceRecord* r = At(p, kTrainFile, 33, &signal);
  ASSERT_NE(r, nullptr);
  EXPECT_NE(r->keyword.find("segnale"), std::string::npos);
  EXPECT_EQ(p.WriterOf(57, CellPart::kObject), signal);
  for (int cell : {55, 53, 51, 49})
    EXPECT_EQ(p.WriterOf(cell, CellPart::kCountdown), signal) << cell;

  // "velocita, 900, 130" on line 11 set the speed from cell 18 up to the
  // next speed record's cell (3000 m: cell 60).
  int speed = kNoRecord;
  ASSERT_NE(At(p, kTrainFile, 11, &speed), nullptr);
  EXPECT_EQ(p.WriterOf(18, CellPart::kSpeed), speed);
  EXPECT_EQ(p.WriterOf(59, CellPart::kSpeed), speed);
  EXPECT_NE(p.WriterOf(60, CellPart::kSpeed), speed);

  // "stazione, 9850, ..." on line 20 filled station slot 3.
  int station = kNoRecord;
  const SourceRecord* s = At(p, kTrainFile, 20, &station);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->slots, std::vector<int>{3});
  EXPECT_EQ(c.stations.slots[3].name, "Castelletto");

  // Gradient cells of a line without gradient records come from no record;
  // a maximum-speed board names its line description record.
  EXPECT_EQ(p.WriterOf(100, CellPart::kGradient), kNoRecord);
  for (size_t i = 0; i < c.grid->cells().size(); ++i) {
    if (c.grid->cells()[i].kind != kKindMaxSpeedBoard) continue;
    int writer = p.WriterOf(static_cast<int64_t>(i), CellPart::kObject);
    ASSERT_NE(writer, kNoRecord);
    EXPECT_EQ(p.records()[writer].file, kLineFile);
    EXPECT_NE(p.records()[writer].keyword.find("indicatori_v"), std::string::npos);
  }
}

// The cell `explain` and the hover name for each position field of the
// built-in scenario (through DescribeFieldValue and the field's cell rule)
// is a cell that record wrote in the compiled grid.
TEST_F(CompileProvenanceTest, TheCellNamedForEveryPositionIsOneTheRecordWrote) {
  RunState state;
  Provenance p;
  Compilation c = testing::CompileBuiltInScenario(&p, &state);
  ASSERT_EQ(state.error_code, 0);
  const testing::BuiltInSource source = testing::BuiltInScenarioSource();
  int checked = 0;
  for (ScenarioFile file : {ScenarioFile::kLine, ScenarioFile::kTrain}) {
    const bool line = file == ScenarioFile::kLine;
    const std::string& name = line ? source.input.line_file_name : source.input.train_file_name;
    const FileAnnotation a =
        AnnotateFile(file, line ? *source.input.line_text : *source.input.train_text);
    for (const AnnotatedRecord& r : a.records) {
      const AnnotatedField& keyword = a.fields[static_cast<size_t>(r.keyword)];
      int id = kNoRecord;
      for (size_t i = 0; i < p.records().size(); ++i) {
        const SourceRecord& s = p.records()[i];
        if (s.file == name && s.line == keyword.span.line + 1 && s.column == keyword.span.begin + 1)
          id = static_cast<int>(i);
      }
      for (size_t n = 0; n < r.values.size(); ++n) {
        const FieldFormat& f = r.format->fields[n];
        if (f.cell == CellRule::kNone) continue;
        const std::string text =
            DescribeFieldValue(f, a.fields[static_cast<size_t>(r.values[n])].span.text);
        const size_t at = text.find("grid cell ");
        ASSERT_NE(at, std::string::npos) << text;
        const int64_t cell = std::stoll(text.substr(at + 10));
        ASSERT_NE(id, kNoRecord) << r.format->name << " on line " << keyword.span.line + 1;
        bool wrote = false;
        for (int part = 0; part < kCellParts; ++part)
          wrote = wrote || p.WriterOf(cell, static_cast<CellPart>(part)) == id;
        EXPECT_TRUE(wrote) << r.format->name << " on line " << keyword.span.line + 1 << ": "
                           << text;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 60);
  // The two the issue names: the signal at 1450 m and the sign at 1100 m.
  const RecordFormat* signal = MatchRecords(ScenarioFile::kTrain, RecordPart::kBody, "segnale")[0];
  EXPECT_EQ(DescribeFieldValue(signal->fields[0], "1450"), "1450 m, grid cell 30");
  EXPECT_EQ(c.grid->at(30).kind, kKindSignal);
  const RecordFormat* sign =
      MatchRecords(ScenarioFile::kLine, RecordPart::kBody, "cartello_indicatore")[0];
  EXPECT_EQ(DescribeFieldValue(sign->fields[0], "1100"), "1100 m, grid cell 23");
  EXPECT_EQ(c.grid->at(23).kind, kKindSign);
}

// The built-in scenario with edits of its train file, compiled with
// diagnostics and a recorder.
struct EditedCompile {
  DiagnosticSink sink;
  Provenance writers;
  Compilation c;
  RunState state;

  EditedCompile(std::initializer_list<std::pair<std::string, std::string>> edits) {
    testing::BuiltInSource source = testing::BuiltInScenarioSource();
    std::string& train = *source.input.train_text;
    for (const auto& [from, to] : edits) {
      const size_t at = train.find(from);
      EXPECT_NE(at, std::string::npos) << from;
      if (at != std::string::npos) train.replace(at, from.size(), to);
    }
    c.provenance = &writers;
    CompileScenario(source.input, source.state, c, &sink);
    state = source.state;
  }
  // The id of the record read at `line` of the train file.
  int TrainRecord(int line) const {
    for (size_t i = 0; i < writers.records().size(); ++i) {
      const SourceRecord& r = writers.records()[i];
      if (r.file == kTrainFile && r.line == line) return static_cast<int>(i);
    }
    return kNoRecord;
  }
};

// What an encoder returns (the taken cell, the cells written, the values
// it cut) becomes both the diagnostic, with its note, and the recorded
// writer of each cell, from the one result.
TEST_F(CompileProvenanceTest, AnEncodersResultIsTheWarningTheNoteAndTheWriter) {
  {
    SCOPED_TRACE("a packed value cut to 16 bits: the warning, and the cells it wrote");
    EditedCompile e({{"segnale,    2800,   2, 4, 1,", "segnale,    2800,   2, 4000, 1,"}});
    ASSERT_EQ(e.state.error_code, 0);
    ASSERT_EQ(e.sink.diagnostics().size(), 1u);
    const Diagnostic& d = e.sink.diagnostics()[0];
    EXPECT_EQ(d.warning_class, WarningClass::kStoredValue);
    EXPECT_EQ(d.place.line, 33);
    EXPECT_EQ(d.message,
              "the signal at 2800 m packs s1 x 10 + d1 = 40002, which does not fit 16 bits; it is "
              "stored as -25534");
    const int signal = e.TrainRecord(33);
    ASSERT_NE(signal, kNoRecord);
    EXPECT_EQ(e.writers.WriterOf(57, CellPart::kObject), signal);
    for (int cell : {55, 53, 51, 49})
      EXPECT_EQ(e.writers.WriterOf(cell, CellPart::kCountdown), signal) << cell;
    ASSERT_NE(e.writers.ObjectAt(57), nullptr);
    EXPECT_EQ(e.writers.ObjectAt(57)->object, "signal");
    EXPECT_EQ(e.writers.ObjectAt(57)->position, 2800);
  }
  {
    SCOPED_TRACE("a taken cell: the note names its writer; the failed record wrote nothing");
    EditedCompile e({{"segnale,    2800", "segnale,    1450"}});
    std::optional<Diagnostic> error = ErrorDiagnostic(e.state, &e.sink);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kErrSignalCellTaken);
    ASSERT_EQ(error->notes.size(), 1u);
    EXPECT_EQ(error->notes[0].place.line, 32);
    EXPECT_EQ(error->notes[0].place.column, 1);
    EXPECT_EQ(error->notes[0].message, "cell 30 was taken here by the signal at 1450 m");
    EXPECT_EQ(e.writers.WriterOf(30, CellPart::kObject), e.TrainRecord(32));
    const int failed = e.TrainRecord(33);
    ASSERT_NE(failed, kNoRecord);
    EXPECT_TRUE(e.writers.records()[static_cast<size_t>(failed)].writes.empty());
  }
  {
    // A slowdown too early for its warning board, or without approach
    // boards, writes neither: the board at 900 m keeps its cell 19, and
    // the note on the signal that hits it names the board, not the
    // slowdown whose boards would have stood there.
    SCOPED_TRACE("cells an encoder did not write are not claimed for it");
    EditedCompile e({{"rallentamento,   16100,   100,  250, 1,  1,  10",
                      "rallentamento,    2150,   100,  100, 1,  0,  10"},
                     {"segnale,    1450", "segnale,     900"}});
    std::optional<Diagnostic> error = ErrorDiagnostic(e.state, &e.sink);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kErrSignalCellTaken);
    ASSERT_EQ(error->notes.size(), 1u);
    EXPECT_EQ(error->notes[0].place.file, kLineFile);
    EXPECT_EQ(error->notes[0].message,
              "cell 19 was taken here by the maximum-speed board at 900 m");
    const int slowdown = e.TrainRecord(29);
    ASSERT_NE(slowdown, kNoRecord);
    EXPECT_EQ(e.writers.WriterOf(20, CellPart::kObject), slowdown);  // its warning board
    for (int64_t cell : {16, 17, 18, 19})
      EXPECT_NE(e.writers.WriterOf(cell, CellPart::kObject), slowdown) << cell;
  }
}

}  // namespace
}  // namespace sc
