#include "present/preview_svg.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/builtin_run.h"
#include "compiler/compiled_files.h"
#include "documents/documents.h"
#include "platform/mem_env.h"
#include "present/preview_data.h"
#include "test_support.h"

namespace sc {
namespace {

// ---- A small XML checker: balanced tags, quoted attributes, entities -----

bool ValidEntity(const std::string& s, size_t at) {
  size_t end = s.find(';', at);
  if (end == std::string::npos || end - at > 8) return false;
  std::string e = s.substr(at + 1, end - at - 1);
  return e == "amp" || e == "lt" || e == "gt" || e == "quot" || e == "apos";
}

bool ValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t n = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : 99;
    if (n == 99 || i + n >= s.size() + (n == 0)) return false;
    if (b < 0x20 && b != '\n' && b != '\t' && b != '\r') return false;
    for (size_t k = 1; k <= n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n + 1;
  }
  return true;
}

// Empty when `xml` is well-formed; otherwise what is wrong and where.
std::string XmlProblem(const std::string& xml) {
  if (!ValidUtf8(xml)) return "not UTF-8";
  std::vector<std::string> open;
  size_t i = xml.rfind("?>", 100);
  i = (xml.rfind("<?xml", 0) == 0 && i != std::string::npos) ? i + 2 : 0;
  bool root_seen = false;
  auto is_name = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ':' || c == '_';
  };
  while (i < xml.size()) {
    char c = xml[i];
    if (c == '&') {
      if (!ValidEntity(xml, i)) return "bad entity at " + std::to_string(i);
      ++i;
    } else if (c == '>') {
      return "stray > at " + std::to_string(i);
    } else if (c != '<') {
      if (open.empty() && !std::isspace(static_cast<unsigned char>(c)))
        return "text outside the root";
      ++i;
    } else if (xml.compare(i, 2, "</") == 0) {
      size_t end = xml.find('>', i);
      if (end == std::string::npos || open.empty() ||
          xml.substr(i + 2, end - i - 2) != open.back()) {
        return "unbalanced end tag at " + std::to_string(i);
      }
      open.pop_back();
      i = end + 1;
    } else {
      size_t j = i + 1;
      while (j < xml.size() && is_name(xml[j])) ++j;
      std::string name = xml.substr(i + 1, j - i - 1);
      if (name.empty()) return "empty tag name at " + std::to_string(i);
      if (open.empty() && root_seen) return "second root at " + std::to_string(i);
      root_seen = true;
      for (;;) {
        while (j < xml.size() && std::isspace(static_cast<unsigned char>(xml[j]))) ++j;
        if (j >= xml.size()) return "unterminated tag " + name;
        if (xml[j] == '>' || xml.compare(j, 2, "/>") == 0) break;
        size_t k = j;
        while (k < xml.size() && is_name(xml[k])) ++k;
        if (k == j || xml.compare(k, 2, "=\"") != 0) return "bad attribute at " + std::to_string(j);
        size_t close = xml.find('"', k + 2);
        if (close == std::string::npos) return "unquoted attribute at " + std::to_string(j);
        for (size_t v = k + 2; v < close; ++v) {
          if (xml[v] == '<' || (xml[v] == '&' && !ValidEntity(xml, v)))
            return "bad attribute value at " + std::to_string(v);
        }
        j = close + 1;
      }
      if (xml[j] == '>') open.push_back(name);
      i = j + (xml[j] == '>' ? 1 : 2);
    }
  }
  if (!open.empty()) return "unclosed <" + open.back() + ">";
  return root_seen ? "" : "no root element";
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string ClassOf(const std::string& cls) { return "class=\"" + cls + "\""; }

TEST(PreviewSvg, CheckerRejectsBrokenXml) {
  EXPECT_EQ(XmlProblem("<svg><g a=\"1\"/><text>a &amp; b</text></svg>"), "");
  for (const char* bad : {"<svg><g></svg>", "<svg a=1/>", "<svg>a & b</svg>", "<svg>x</svg><svg/>",
                          "<svg a=\"<\"/>", "<svg>\xE0</svg>"}) {
    EXPECT_NE(XmlProblem(bad), "") << bad;
  }
}

// ---- The built-in scenario -------------------------------------------------

struct BuiltIn {
  std::string plan, stations, grid;
};

BuiltIn CompileBuiltIn() {
  MemEnv env;
  testing::RecordingUi ui;
  std::ostringstream err;
  EXPECT_EQ(RunBuiltInScenario(env, ui, "out", err), 0) << err.str();
  RunState state;
  state.line_name = kBuiltInLineName;
  state.train_number = kBuiltInTrainNumber;
  return {env.files[JoinPath("out", RoutePlanFileName(state))],
          env.files[JoinPath("out", StationFileName(state))],
          env.files[JoinPath("out", GridFileName(state))]};
}

TEST(PreviewSvg, BuiltInScenarioMarksEveryObjectOnce) {
  const BuiltIn files = CompileBuiltIn();
  struct Kind {
    const char* cls;
    size_t count;
  };
  const Kind kinds[] = {
      {"signal", 24}, {"station", 10}, {"slowdown", 2}, {"max-speed-board", 12}, {"sign", 23}};
  for (bool with_plan : {true, false}) {
    std::string error;
    std::optional<PreviewData> data =
        PreviewFromCompiledFiles(with_plan ? std::optional<std::string>(files.plan) : std::nullopt,
                                 files.stations, files.grid, &error);
    ASSERT_TRUE(data) << error;
    std::string svg = RenderPreviewSvg(*data);
    EXPECT_EQ(XmlProblem(svg), "") << with_plan;
    for (const Kind& k : kinds) {
      EXPECT_EQ(Count(svg, ClassOf(k.cls)), k.count) << k.cls;
      EXPECT_EQ(Count(svg, ClassOf(std::string("plan-") + k.cls)), with_plan ? k.count : 0)
          << k.cls;
    }
    EXPECT_EQ(Count(svg, "class=\"axis\" data-from=\"0\" data-to=\"40000\""), 1u);
    EXPECT_EQ(Count(svg, ClassOf("no-plan-note")), with_plan ? 0u : 1u);
    EXPECT_EQ(Count(svg, ClassOf("track")), with_plan ? 1u : 0u);
    // Places along the route are the compiled positions.
    EXPECT_NE(svg.find("class=\"signal\" data-m=\"1450\""), std::string::npos);
    EXPECT_NE(svg.find("class=\"slowdown\" data-m=\"16100\""), std::string::npos);
  }
}

// ---- Made-up routes ----------------------------------------------------------

// A route of `length` metres that winds gently, with a speed limit that
// changes in every cell (the worst case for the profile line) and one
// station, signal and sign.
PreviewData MadeUpRoute(int64_t length) {
  PreviewData data;
  data.route_length = length;
  data.stations.slots[kSlotTrainRoute].end = static_cast<int32_t>(length);
  data.cells.resize(static_cast<size_t>(GridUpperFor(length)) + 1);
  for (size_t i = 0; i < data.cells.size(); ++i)
    data.cells[i].speed_code = static_cast<uint8_t>(10 + i % 7);
  data.plan.emplace();
  for (int64_t m = 0; m <= length + 7000; ++m) {
    double t = static_cast<double>(m);
    data.plan->push_back({3000 * std::sin(t / 20000), t});
  }
  StationRecord& station = data.stations.slots[1];
  station = {.kind = 12, .start = 0, .end = 600, .position = 300, .name = "Alpha"};
  data.cells[static_cast<size_t>(CellOf(length / 2))].kind = kKindSignal;
  data.cells[5] = {.kind = kKindSign, .value_a = 80};
  data.stations.slots[80].name = "TUNNEL";
  data.stations.slots[kSlotKmRefUno].start = 500;
  data.stations.slots[kSlotKmRefUno].end = 12300;
  return data;
}

TEST(PreviewSvg, AxisSpansTheRouteAndSizeStaysBounded) {
  for (int64_t length : {1000, 40000, 1000000}) {
    std::string svg = RenderPreviewSvg(MadeUpRoute(length));
    EXPECT_EQ(XmlProblem(svg), "") << length;
    EXPECT_EQ(
        Count(svg, "class=\"axis\" data-from=\"0\" data-to=\"" + std::to_string(length) + "\""),
        1u);
    EXPECT_EQ(Count(svg, ClassOf("signal")), 1u) << length;
    EXPECT_EQ(Count(svg, ClassOf("plan-sign")), 1u) << length;
    EXPECT_EQ(Count(svg, "class=\"km-reference\" data-m=\"500\""), 1u) << length;
    EXPECT_LT(svg.size(), 300000u) << length;
    // The plan line is thinned to a few thousand points.
    size_t track = svg.find(ClassOf("track"));
    ASSERT_NE(track, std::string::npos);
    std::string points = svg.substr(track, svg.find("/>", track) - track);
    EXPECT_LT(Count(points, ","), 4100u) << length;
  }
}

TEST(PreviewSvg, NamesAreConvertedAndEscaped) {
  PreviewData data = MadeUpRoute(40000);
  data.stations.slots[1].name = "Citt\xE0 <\"A&B\">\x01";
  data.stations.slots[80].name = "GALLERIA '\x80'";
  std::string svg = RenderPreviewSvg(data);
  EXPECT_EQ(XmlProblem(svg), "");
  EXPECT_NE(svg.find("Citt\xC3\xA0 &lt;&quot;A&amp;B&quot;&gt;\xEF\xBF\xBD"), std::string::npos);
  EXPECT_NE(svg.find("GALLERIA &apos;\xE2\x82\xAC&apos;"), std::string::npos);
}

struct LabelBox {
  double x0, x1, y0, y1;
};

// The boxes of the drawn labels (class "label"), from their position, anchor
// and text length, with the width estimate the writer uses.
std::vector<LabelBox> LabelBoxes(const std::string& svg) {
  std::vector<LabelBox> boxes;
  for (size_t at = svg.find("<text x=\""); at != std::string::npos;
       at = svg.find("<text x=\"", at + 1)) {
    size_t open_end = svg.find('>', at);
    std::string tag = svg.substr(at, open_end - at);
    if (tag.find(ClassOf("label")) == std::string::npos) continue;
    double x = std::stod(tag.substr(9));
    double y = std::stod(tag.substr(tag.find("y=\"") + 3));
    double w = 6.2 * static_cast<double>(svg.find("</text>", open_end) - open_end - 1);
    double x0 = tag.find("\"middle\"") != std::string::npos ? x - w / 2
                : tag.find("\"end\"") != std::string::npos  ? x - w
                                                            : x;
    boxes.push_back({x0, x0 + w, y - 10, y + 3});
  }
  return boxes;
}

TEST(PreviewSvg, CrowdedLabelsDoNotOverlapAndEveryMarkerStays) {
  PreviewData data = MadeUpRoute(40000);
  for (int slot = 1; slot <= 40; ++slot) {
    int32_t at = slot * 900;
    data.stations.slots[slot] = {.kind = 12,
                                 .start = at - 100,
                                 .end = at + 100,
                                 .position = at,
                                 .name = "Station number " + std::to_string(slot)};
  }
  std::string svg = RenderPreviewSvg(data);
  EXPECT_EQ(Count(svg, ClassOf("station")), 40u);
  EXPECT_EQ(Count(svg, ClassOf("plan-station")), 40u);
  std::vector<LabelBox> boxes = LabelBoxes(svg);
  EXPECT_GT(boxes.size(), 10u);
  EXPECT_LT(boxes.size(), 80u);  // some were left out
  for (size_t i = 0; i < boxes.size(); ++i) {
    for (size_t j = i + 1; j < boxes.size(); ++j) {
      const LabelBox &a = boxes[i], &b = boxes[j];
      bool overlap =
          a.x0 < b.x1 - 0.5 && b.x0 < a.x1 - 0.5 && a.y0 < b.y1 - 0.5 && b.y0 < a.y1 - 0.5;
      EXPECT_FALSE(overlap) << "labels " << i << " and " << j;
    }
  }
}

TEST(PreviewSvg, LabelsStayInsideThePicture) {
  PreviewData data = MadeUpRoute(40000);
  for (size_t m = 0; m < data.plan->size(); ++m)
    (*data.plan)[m] = {static_cast<double>(m), 0};  // due east
  data.stations.slots[2] = {.kind = 6,
                            .start = 39300,
                            .end = 40150,
                            .position = 40000,
                            .name = "A rather long name for the last station"};
  std::string svg = RenderPreviewSvg(data);
  std::vector<LabelBox> boxes = LabelBoxes(svg);
  EXPECT_EQ(Count(svg, "the last station (kind 6)</text>"), 2u);  // in the plan and in the profile
  for (const LabelBox& b : boxes) {
    EXPECT_GE(b.x0, 0);
    EXPECT_LE(b.x1, 1200);  // the picture's width
  }
}

// Every byte of a picture whose names are plain ASCII is printable ASCII or a
// line end: no stray buffer contents.
bool PrintableAscii(const std::string& svg) {
  for (char c : svg) {
    if (c != '\n' && (c < 0x20 || c > 0x7E)) return false;
  }
  return true;
}

TEST(PreviewSvg, HugeAndTinyCoordinatesStayWellFormed) {
  for (double v : {1e62, 1e300, -1e300, 5e-324, 1.7976931348623157e308}) {
    PreviewData data = MadeUpRoute(1000);
    (*data.plan)[500] = {v, -v};
    std::string svg = RenderPreviewSvg(data);
    EXPECT_EQ(XmlProblem(svg), "") << v;
    EXPECT_TRUE(PrintableAscii(svg)) << v;
  }
}

TEST(PreviewSvg, EmptyPlanGivesANoteInstead) {
  PreviewData data = MadeUpRoute(1000);
  data.plan->clear();
  std::string svg = RenderPreviewSvg(data);
  EXPECT_EQ(XmlProblem(svg), "");
  EXPECT_EQ(Count(svg, ClassOf("no-plan-note")), 1u);
  EXPECT_EQ(Count(svg, ClassOf("plan-signal")), 0u);
  EXPECT_EQ(Count(svg, ClassOf("signal")), 1u);
}

}  // namespace
}  // namespace sc
