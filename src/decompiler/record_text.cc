#include "decompiler/record_text.h"

#include <cstdarg>
#include <cstdio>

#include "compiler/record_format.h"
#include "model/route_plan.h"

namespace sc {
namespace {

constexpr const char* kLineEnd = "\r\n";

// printf into a string; the records' numbers in the built-in files' columns.
std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return std::string(buffer,
                     n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}

void Line(std::string& out, const std::string& text) { out += text + kLineEnd; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string TextField(const std::string& text) {
  if (text.empty()) return text;
  const bool quote = text.find_first_of(",\r\n") != std::string::npos || IsBlank(text.front()) ||
                     IsBlank(text.back()) || text.front() == '"';
  return quote ? "\"" + text + "\"" : text;
}

std::string PreambleText(const std::vector<std::string>& lines) {
  std::string out;
  for (std::string line : lines) {
    for (char& c : line) {
      if (c == '[') c = '(';
      if (c == ']') c = ')';
      if (c == '"') c = '\'';
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    Line(out, line);
  }
  return out;
}

namespace {

// A record's keyword as the record table gives it, and its section marker.
const char* Keyword(const char* record) { return RecordNamed(record).keyword; }
void Section(std::string& out, const char* record) {
  Line(out, RecordSection(RecordNamed(record)));
}

// The curve keyword: the table's keyword test ("curva") with the side and
// the radius digit the record takes from it.
std::string CurveKeyword(const RecoveredCurve& c) {
  return std::string(RecordNamed("curve").contains[0]) + (c.left ? 's' : 'd') +
         kCurveClasses[c.radius_class - 1].digit;
}

// The repetition keyword with its number of codes in place of the table's.
std::string RepetitionKeyword(int codes) {
  const RecordFormat& r = RecordNamed("signal repetition");
  std::string keyword = r.keyword;
  const size_t digit = keyword.find_first_of(r.keyword_reads);
  if (digit != std::string::npos) keyword[digit] = static_cast<char>('0' + codes);
  return keyword;
}

}  // namespace

std::string LineDescriptionText(const std::string& preamble, const LineRecords& line) {
  const std::vector<const char*>& sections = SectionMarkers(ScenarioFile::kLine);
  std::string out = preamble;
  Line(out, sections.front());
  Line(out, Format("%s,    %d", Keyword("route length"), line.route_length));
  const char* km_records[] = {"kilometre reference 1", "kilometre reference 2",
                              "kilometre reference 3"};
  for (int i = 0; i < 3; ++i) {
    const auto& km = line.km_references[static_cast<size_t>(i)];
    Line(out, Format("%s,    %d,    %d,    %d", Keyword(km_records[i]), km[0], km[1], km[2]));
  }
  Line(out, Format("%s,    %d", Keyword("background 1"), line.background_uno));
  Line(out, Format("%s,    %d", Keyword("background 2"), line.background_due));
  Line(out, Format("%s,    %d", Keyword("background 3"), line.background_tre));
  Line(out, Format("%s,    %d,    %d", RepetitionKeyword(line.repetition_codes).c_str(),
                   line.repetition_first, line.repetition_last));
  Section(out, "curve");
  for (const RecoveredCurve& c : line.curves) {
    Line(out, Format("%s,  %d,  %d", CurveKeyword(c).c_str(), c.start, c.length));
  }
  Section(out, "gradient");
  for (const ProfilePoint& g : line.gradients)
    Line(out, Format("%s,  %d,  %d", Keyword("gradient"), g.position, g.value));
  Section(out, "mountain");
  for (const auto& m : line.mountains)
    Line(out, Format("%s,   %d,  %d,  %d", Keyword("mountain"), m.start, m.end, m.type));
  Section(out, "maximum-speed board");
  for (const auto& b : line.boards) {
    Line(out,
         Format("%s,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d", Keyword("maximum-speed board"),
                b.position, b.vas, b.vbs, b.vcs, b.strisces, b.vad, b.vbd, b.vcd, b.strisced));
  }
  Section(out, "sign");
  for (const auto& s : line.signs)
    Line(out, Format("%s,  %d,   ", Keyword("sign"), s.position) + TextField(s.text));
  Line(out, sections.back());
  return out;
}

std::string TrainServiceText(const std::string& preamble, const TrainRecords& train) {
  const std::vector<const char*>& sections = SectionMarkers(ScenarioFile::kTrain);
  std::string out = preamble;
  Line(out, sections.front());
  Line(out, Format("%s,    %d", Keyword("cars"), train.cars));
  Line(out, Format("%s,    %d", Keyword("braked mass"), train.braked_mass));
  Line(out, Format("%s,    %d", Keyword("sand"), train.sand));
  Line(out, Format("%s,    %d,    %d,    %d", Keyword("clock"), train.clock_hours,
                   train.clock_minutes, train.clock_seconds));
  Section(out, "adhesion");
  for (const ProfilePoint& a : train.adhesions)
    Line(out, Format("%s,%4d,%7d", Keyword("adhesion"), a.position, a.value));
  Section(out, "speed");
  for (const ProfilePoint& v : train.speeds)
    Line(out, Format("%s,%8d,%6d", Keyword("speed"), v.position, v.value));
  Section(out, "station");
  for (const auto& s : train.stations) {
    Line(out, Format("%s,%8d,%3d,%5d,%3d,%2d,%2d,%3d,%d,%d,%3d,%d,%d,%5d,%4d,%2d,%2d, ",
                     Keyword("station"), s.position, s.kind, s.length, s.byte_1, s.byte_5, s.byte_4,
                     s.word_1, s.word_2, s.byte_2, s.word_3, s.word_4, s.word_5, s.byte_3, s.hours,
                     s.minutes, s.seconds) +
                  TextField(s.name));
  }
  Section(out, "slowdown");
  for (const auto& d : train.slowdowns) {
    Line(out, Format("%s,%8d,%6d,%5d,%2d,%3d,%4d", Keyword("slowdown"), d.x, d.v, d.l, d.f_tt,
                     d.f_ta, d.d_v));
  }
  Section(out, "signal");
  for (const auto& g : train.signals) {
    Line(out, Format("%s,%8d,%4d,%2d,%2d,%3d,%2d,%5d,%3d,%d,%d, %d", Keyword("signal"), g.position,
                     g.sx, g.s1, g.s2, g.s3, g.rapp, g.dx, g.d1, g.d2, g.d3, g.tempo));
  }
  if (!train.abbattimenti.empty()) {
    Section(out, "abbattimento");
    for (const ProfilePoint& a : train.abbattimenti)
      Line(out, Format("%s,%8d,%6d", Keyword("abbattimento"), a.position, a.value));
  }
  // The section before the end, which the built-in scenario leaves empty.
  Line(out, sections[sections.size() - 2]);
  Line(out, sections.back());
  return out;
}

}  // namespace sc
