#include "decompiler/record_text.h"

#include <cstdarg>
#include <cstdio>

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

std::string LineDescriptionText(const std::string& preamble, const LineRecords& line) {
  std::string out = preamble;
  Line(out, "[generale]");
  Line(out, Format("lunghezza percorso,    %d", line.route_length));
  const char* km_names[] = {"uno", "due", "tre"};
  for (int i = 0; i < 3; ++i) {
    const auto& km = line.km_references[static_cast<size_t>(i)];
    Line(out, Format("progressiva chilometrica %s,    %d,    %d,    %d", km_names[i], km[0], km[1],
                     km[2]));
  }
  Line(out, Format("sfondo uno,    %d", line.background_uno));
  Line(out, Format("sfondo due,    %d", line.background_due));
  Line(out, Format("sfondo tre,    %d", line.background_tre));
  Line(out, Format("ripetizione segnali %d codici,    %d,    %d", line.repetition_codes,
                   line.repetition_first, line.repetition_last));
  Line(out, "[curve]");
  for (const RecoveredCurve& c : line.curves) {
    Line(out, Format("curva%c%s,  %d,  %d", c.left ? 's' : 'd',
                     kCurveClasses[c.radius_class - 1].digit, c.start, c.length));
  }
  Line(out, "[pendenze]");
  for (const ProfilePoint& g : line.gradients)
    Line(out, Format("pendenza,  %d,  %d", g.position, g.value));
  Line(out, "[montagne]");
  for (const auto& m : line.mountains)
    Line(out, Format("montagna,   %d,  %d,  %d", m.start, m.end, m.type));
  Line(out, "[cartelli]");
  for (const auto& b : line.boards) {
    Line(out, Format("indicatori_vmax,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d", b.position,
                     b.vas, b.vbs, b.vcs, b.strisces, b.vad, b.vbd, b.vcd, b.strisced));
  }
  Line(out, "[indicazioni]");
  for (const auto& s : line.signs)
    Line(out, Format("cartello_indicatore,  %d,   ", s.position) + TextField(s.text));
  Line(out, "[fine]");
  return out;
}

std::string TrainServiceText(const std::string& preamble, const TrainRecords& train) {
  std::string out = preamble;
  Line(out, "[generale]");
  Line(out, Format("numero vetture,    %d", train.cars));
  Line(out, Format("percentuale massa frenata,    %d", train.braked_mass));
  Line(out, Format("sabbia,    %d", train.sand));
  Line(out, Format("orologio,    %d,    %d,    %d", train.clock_hours, train.clock_minutes,
                   train.clock_seconds));
  Line(out, "[aderenze]");
  for (const ProfilePoint& a : train.adhesions)
    Line(out, Format("aderenza,%4d,%7d", a.position, a.value));
  Line(out, "[vel_limite]");
  for (const ProfilePoint& v : train.speeds)
    Line(out, Format("velocita,%8d,%6d", v.position, v.value));
  Line(out, "[stazioni]");
  for (const auto& s : train.stations) {
    Line(out,
         Format("stazione,%8d,%3d,%5d,%3d,%2d,%2d,%3d,%d,%d,%3d,%d,%d,%5d,%4d,%2d,%2d, ",
                s.position, s.kind, s.length, s.byte_1, s.byte_5, s.byte_4, s.word_1, s.word_2,
                s.byte_2, s.word_3, s.word_4, s.word_5, s.byte_3, s.hours, s.minutes, s.seconds) +
             TextField(s.name));
  }
  Line(out, "[rallentamenti]");
  for (const auto& d : train.slowdowns) {
    Line(out,
         Format("rallentamento,%8d,%6d,%5d,%2d,%3d,%4d", d.x, d.v, d.l, d.f_tt, d.f_ta, d.d_v));
  }
  Line(out, "[segnali]");
  for (const auto& g : train.signals) {
    Line(out, Format("segnale,%8d,%4d,%2d,%2d,%3d,%2d,%5d,%3d,%d,%d, %d", g.position, g.sx, g.s1,
                     g.s2, g.s3, g.rapp, g.dx, g.d1, g.d2, g.d3, g.tempo));
  }
  if (!train.abbattimenti.empty()) {
    Line(out, "[abbattimenti]");
    for (const ProfilePoint& a : train.abbattimenti)
      Line(out, Format("abbattimento,%8d,%6d", a.position, a.value));
  }
  Line(out, "[codici]");
  Line(out, "[fine]");
  return out;
}

}  // namespace sc
