// The warnings, each from a small edit of the built-in scenario: the class,
// the file, line and the field it points at, and compiled files equal to those compiled
// with every warning turned off.
#include "compiler/diagnostic.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "documents/documents.h"
#include "platform/mem_env.h"

namespace sc {
namespace {

constexpr const char* kLine = "Vastro - Dreo_linea.txt";
constexpr const char* kTrain = "Vastro - Dreo_2001-.txt";

struct Compiled {
  RunState state;
  Compilation compilation;
};

void CompileTexts(const std::string& line, const std::string& train, DiagnosticSink* sink,
                  Compiled* out) {
  out->state.line_name = "Vastro - Dreo";
  out->state.train_number = "2001";
  CompileInput input{kLine, line, kTrain, train};
  CompileScenario(input, out->state, out->compilation, sink);
}

// The three compiled files, by name.
std::map<std::string, std::string> CompiledFiles(const Compiled& c) {
  MemEnv env;
  env.folders.insert("out");
  EXPECT_TRUE(WriteCompiledFiles(env, "out", c.state, c.compilation).ok());
  return env.files;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from << " is not unique";
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The text `place` covers on its line of `text`: from its column to its
// end column, or to the line's end when the end is not known.
std::string Covered(const std::string& text, const SourcePlace& place) {
  size_t begin = 0;
  for (int line = 1; line < place.line; ++line) begin = text.find('\n', begin) + 1;
  const size_t end = text.find_first_of("\r\n", begin);
  const std::string on_line = text.substr(begin, end - begin);
  const size_t from = static_cast<size_t>(place.column - 1);
  return place.end_column == 0
             ? on_line.substr(from)
             : on_line.substr(from, static_cast<size_t>(place.end_column - place.column));
}

// The built-in scenario's two texts with one edit in one of them.
struct EditedTexts {
  std::string line, train;
};
EditedTexts Edited(const std::vector<Document>& docs, bool in_train, const std::string& from,
                   const std::string& to) {
  return {in_train ? docs[0].bytes : Replaced(docs[0].bytes, from, to),
          in_train ? Replaced(docs[1].bytes, from, to) : docs[1].bytes};
}

struct Edit {
  const char* name;
  bool in_train;  // the edit is in the train file, else in the line file
  const char* from;
  const char* to;
  WarningClass expected;
  int line;
  // The text the warning points at: the field whose value it is about (or
  // the fields a packed value is made of), or the keyword of a record no
  // one field of which is at fault; to the line's end when the end is not
  // known.
  const char* covers;
  const char* says;  // a part of the message
};

const Edit kEdits[] = {
    {"misspelt keyword", true, "segnale,    1450", "segnal,    1450", WarningClass::kUnknownKeyword,
     32, "segnal", "did you mean 'segnale'?"},
    {"station name left out", true, "0, 0, Montanaro", "0, 0", WarningClass::kShortLine, 19,
     "stazione", "last of them on line 20"},
    {"comma in a sign text", false, "(GALLERIA   )(DELL'ANGELO)", "(GALLERIA   ),(DELL'ANGELO)",
     WarningClass::kExtraFields, 77, "(DELL'ANGELO)", "a comma ends a text field"},
    {"speed not a multiple of 5", true, "velocita,     900,   130", "velocita,     900,   132",
     WarningClass::kStoredValue, 11, "132", "stores 130 km/h"},
    {"adhesion above 255", true, "aderenza,   0,    100", "aderenza,   0,    300",
     WarningClass::kStoredValue, 8, "300", "stored as its low 8 bits, 44"},
    {"signal value beyond 16 bits", true, "segnale,    1450,   2, 4,",
     "segnale,    1450,   2, 4000,", WarningClass::kStoredValue, 32, "4000, 0,  0, 0,    1,  3",
     "s1 x 10 + d1 = 40003, which does not fit 16 bits"},
    {"signal countdown marks beyond 8 bits", true, "segnale,    2800,   2, 4, 1,  0, 0,    2,",
     "segnale,    2800,   2, 4, 1,  0, 0,    20,", WarningClass::kStoredValue, 33,
     "2, 4, 1,  0, 0,    20", "countdown marks 261 to 264"},
    {"signal time beyond 8 bits", true, "segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 0",
     "segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 300", WarningClass::kStoredValue, 32, "300",
     "the time 300, outside 0 to 255; it is stored as its low 8 bits, 44"},
    {"board speed not a multiple of 5", false, "indicatori_vmax,  900,  120,  130,  140,  0,  115,",
     "indicatori_vmax,  900,  120,  130,  140,  0,  117,", WarningClass::kStoredValue, 63,
     "120,  130,  140,  0,  117",
     "vad / 5 + vas x 20 = 2423.4; its cell holds a whole number in 16 bits and stores 2423"},
    {"board speeds beyond 16 bits", false, "indicatori_vmax,  3000,  130,  150,  165,",
     "indicatori_vmax,  3000,  130,  150,  1650,", WarningClass::kStoredValue, 64,
     "1650,  0,  125,  140,  150",
     "vcd / 5 + vcs x 20 = 33030; its cell holds a whole number in 16 bits and stores -32506"},
    {"board stripes beyond 16 bits", false, "indicatori_vmax,  19100,  60,  65,  70,  2,",
     "indicatori_vmax,  19100,  60,  65,  70,  4000,", WarningClass::kStoredValue, 65,
     "4000,  50,  55,  70,  2",
     "strisces x 10 + strisced = 40002, which does not fit 16 bits; it is stored as -25534"},
    {"end marker over a signal", true, "[stazioni]",
     "segnale,    3600,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n[stazioni]", WarningClass::kOverwrite,
     20, "3400", "overwrites the signal at 3600 m in cell 73"},
    {"case of a case-sensitive keyword", false, "sfondo due", "Sfondo due",
     WarningClass::kUnknownKeyword, 20, "Sfondo due", "did you mean 'sfondo due'?"},
    {"keyword of two records", true, "numero vetture,    10", "numero vetture sabbia,    10, 100",
     WarningClass::kAmbiguousKeyword, 3, "numero vetture sabbia", "'numero vetture', 'sabbia'"},
    {"header record given twice", false, "sfondo uno,    1\r\n",
     "sfondo uno,    1\r\nsfondo uno,    2\r\n", WarningClass::kHeaderRepeat, 20, "sfondo uno",
     "this later value wins"},
    {"fraction", true, "velocita,    3000,   150", "velocita,    3000,   150.5",
     WarningClass::kFraction, 12, "150.5", "stores 150"},
    {"gradient outside the profile", false, "[pendenze]\r\n",
     "[pendenze]\r\npendenza, 100, 200\r\n", WarningClass::kStoredValue, 43, "200",
     "(gradient -56)"},
    {"mountain past the grid", false, "montagna,   37650,  38300,  12",
     "montagna,   37650,  48300,  12", WarningClass::kOffGrid, 61, "48300", "left out"},
    {"signal countdown before the start", true, "segnale,    1450", "segnale,    250",
     WarningClass::kOffGrid, 32, "250", "countdown marks"},
    {"keyword as the last field", true, "[codici]\r\n[fine]\r\n", "[codici]\r\nsegnale\r\n",
     WarningClass::kLastField, 57, "segnale", "never processed"},
};

TEST(Diagnostics, EachEditOfTheBuiltInScenarioWarnsAtItsPlaceAndChangesNoByte) {
  const std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  for (const Edit& e : kEdits) {
    SCOPED_TRACE(e.name);
    const auto [line, train] = Edited(docs, e.in_train, e.from, e.to);
    DiagnosticSink sink;
    Compiled with;
    CompileTexts(line, train, &sink, &with);
    bool found = false;
    for (const Diagnostic& d : sink.diagnostics()) {
      if (d.severity != Severity::kWarning || d.warning_class != e.expected) continue;
      // A line may hold several warnings of one class (a station's end
      // marker and its countdown marks): one must be the expected one.
      if (d.place.line != e.line || d.message.find(e.says) == std::string::npos) continue;
      found = true;
      EXPECT_EQ(d.place.file, e.in_train ? kTrain : kLine);
      EXPECT_EQ(Covered(e.in_train ? train : line, d.place), e.covers);
    }
    EXPECT_TRUE(found) << "no " << WarningClassName(e.expected) << " warning at line " << e.line;

    DiagnosticSink quiet;
    quiet.DisableAllWarnings();
    Compiled without;
    CompileTexts(line, train, &quiet, &without);
    EXPECT_TRUE(quiet.diagnostics().empty());
    EXPECT_EQ(with.state.error_code, without.state.error_code);
    ASSERT_TRUE(with.compilation.grid && without.compilation.grid);
    const auto files = CompiledFiles(with);
    EXPECT_EQ(files.size(), 3u);
    EXPECT_TRUE(files == CompiledFiles(without));
  }
}

TEST(Diagnostics, TheBuiltInScenarioCompilesWithoutAWarning) {
  const std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  for (int flag : {1, 0}) {
    DiagnosticSink sink;
    Compiled c;
    c.state.compile_flag = flag;
    CompileTexts(docs[0].bytes, docs[1].bytes, &sink, &c);
    EXPECT_EQ(c.state.error_code, 0);
    for (const Diagnostic& d : sink.diagnostics()) {
      ADD_FAILURE() << d.place.file << ":" << d.place.line << ": " << d.message;
    }
    // The writers kept for the notes know who placed the first signal.
    const Provenance& writers = c.compilation.writers_for_notes;
    const PlacedObject* p = writers.ObjectAt(CellOf(1450));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->object, "signal");
    EXPECT_EQ(writers.records()[static_cast<size_t>(p->record)].line, 32);
  }
}

TEST(Diagnostics, ATakenCellErrorNamesTheRecordThatTookIt) {
  const std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  const std::string train = Replaced(docs[1].bytes, "segnale,    2800", "segnale,    1450");
  DiagnosticSink sink;
  Compiled c;
  CompileTexts(docs[0].bytes, train, &sink, &c);
  std::optional<Diagnostic> error = ErrorDiagnostic(c.state, &sink);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code, kErrSignalCellTaken);
  EXPECT_EQ(error->place.line, 33);
  // At the position the check stands at.
  EXPECT_EQ(Covered(train, error->place), "1450");
  ASSERT_EQ(error->notes.size(), 1u);
  EXPECT_EQ(error->notes[0].place.line, 32);
  EXPECT_EQ(error->notes[0].message, "cell 30 was taken here by the signal at 1450 m");
}

// A failed check points at the field whose value fails it.
TEST(Diagnostics, AnErrorPointsAtTheFieldItsCheckFails) {
  const std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  const struct {
    bool in_train;
    const char* from;
    const char* to;
    ErrorCode code;
    const char* covers;
  } cases[] = {
      {true, "stazione,    3400, 22,  600", "stazione,    3425, 22,  600", kErrStationPosition,
       "3425"},
      {true, "stazione,    3400, 22,  600", "stazione,    3400, 22,  650", kErrStationLength,
       "650"},
      {true, "segnale,    2800", "segnale,  999999", kErrBeyondGrid, "999999"},
      {false, "lunghezza percorso,    40000", "lunghezza percorso,    4000000", kErrRouteTooLong,
       "4000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to);
    const auto [line, train] = Edited(docs, c.in_train, c.from, c.to);
    DiagnosticSink sink;
    Compiled compiled;
    CompileTexts(line, train, &sink, &compiled);
    std::optional<Diagnostic> error = ErrorDiagnostic(compiled.state, &sink);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, c.code);
    EXPECT_EQ(Covered(c.in_train ? train : line, error->place), c.covers);
  }
}

// How each form names and words a diagnostic: the code from the tag, the
// error code or the class; the position added to the message only when
// there is one (the run's error with a position carries it apart).
TEST(Diagnostics, CodeAndMessageOfEachKind) {
  RunState state;
  state.FailAt(kErrSignalCellTaken, kTrain, 33, 1);
  state.error_position = 1450;
  const Diagnostic error = *ErrorDiagnostic(state, nullptr);
  EXPECT_EQ(error.position, 1450);
  EXPECT_EQ(error.message.find("position"), std::string::npos) << error.message;

  Diagnostic warning;
  warning.warning_class = WarningClass::kOffGrid;
  warning.message = "left out";
  Diagnostic uncoded;  // an error known only by its text
  uncoded.severity = Severity::kError;
  uncoded.message = "could not compile";
  Diagnostic tagged = uncoded;
  tagged.tag = "message 1250";
  struct Case {
    const Diagnostic& d;
    std::string code;
    std::string message;
  } cases[] = {
      {error, "error " + std::to_string(kErrSignalCellTaken), error.message + " (position 1450 m)"},
      {warning, "off-grid", "left out"},
      {uncoded, "", "could not compile"},
      {tagged, "message 1250", "could not compile"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DiagnosticCode(c.d), c.code) << c.message;
    EXPECT_EQ(DiagnosticMessage(c.d), c.message);
  }
}

TEST(Diagnostics, AnOffSinkCollectsNothingAndClassesTurnOffOneByOne) {
  DiagnosticSink off = DiagnosticSink::Off();
  EXPECT_FALSE(off.on());
  EXPECT_EQ(off.Warn(WarningClass::kFraction, {}, "x"), nullptr);
  EXPECT_EQ(off.Add(Diagnostic{}), nullptr);

  DiagnosticSink sink;
  sink.Disable(WarningClass::kFraction);
  EXPECT_EQ(sink.Warn(WarningClass::kFraction, {}, "x"), nullptr);
  EXPECT_NE(sink.Warn(WarningClass::kOverwrite, {}, "y"), nullptr);
  EXPECT_EQ(sink.warning_count(), 1);
  for (int i = 0; i < kWarningClassCount; ++i) {
    const auto c = static_cast<WarningClass>(i);
    EXPECT_EQ(WarningClassFromName(WarningClassName(c)), c);
  }
  EXPECT_FALSE(WarningClassFromName("no-such-class"));
}

}  // namespace
}  // namespace sc
