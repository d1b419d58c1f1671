#include "present/preview_svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "present/preview_data.h"
#include "test_support.h"
#include "xml_check.h"

namespace sc {
namespace {

using testing::Count;

std::string ClassOf(const std::string& cls) { return "class=\"" + cls + "\""; }

// ---- The built-in scenario -------------------------------------------------

TEST(PreviewSvg, BuiltInScenarioMarksEveryObjectOnce) {
  const testing::BuiltInCompiledFiles files = testing::CompileBuiltInScenarioFiles();
  struct Kind {
    const char* cls;
    size_t count;
  };
  const Kind kinds[] = {
      {"signal", 24}, {"station", 10}, {"slowdown", 2}, {"max-speed-board", 12}, {"sign", 23}};
  for (bool with_plan : {true, false}) {
    std::optional<PreviewData> data{std::in_place};
    const Status read =
        PreviewFromCompiledFiles(with_plan ? std::optional<std::string>(files.plan) : std::nullopt,
                                 files.stations, files.grid, &*data);
    ASSERT_TRUE(read.ok()) << read.message();
    std::string svg = RenderPreviewSvg(*data);
    testing::ExpectWellFormedXml(svg, with_plan ? "with plan" : "without plan");
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
    testing::ExpectWellFormedXml(svg, std::to_string(length));
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
  testing::ExpectWellFormedXml(svg);
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
    double w =
        LabelTextWidth(svg.substr(open_end + 1, svg.find("</text>", open_end) - open_end - 1));
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
    testing::ExpectWellFormedXml(svg, std::to_string(v));
    EXPECT_TRUE(PrintableAscii(svg)) << v;
  }
}

TEST(PreviewSvg, EmptyPlanGivesANoteInstead) {
  PreviewData data = MadeUpRoute(1000);
  data.plan->clear();
  std::string svg = RenderPreviewSvg(data);
  testing::ExpectWellFormedXml(svg);
  EXPECT_EQ(Count(svg, ClassOf("no-plan-note")), 1u);
  EXPECT_EQ(Count(svg, ClassOf("plan-signal")), 0u);
  EXPECT_EQ(Count(svg, ClassOf("signal")), 1u);
}

}  // namespace
}  // namespace sc
