// What the viewer page shows, as one JSON document: the drawable scenario
// (from preview_data), the input texts, which record wrote each cell and
// object (when provenance was recorded) and the diagnostics.
#ifndef SC_PRESENT_VIEW_DATA_H_
#define SC_PRESENT_VIEW_DATA_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/record_format.h"
#include "model/provenance.h"
#include "present/preview_data.h"

namespace sc {

// An input text, named as the records name it (Windows-1252 bytes).
struct ViewSource {
  std::string name;
  std::string text;
  ScenarioFile file = ScenarioFile::kLine;  // which description it is
};

struct ViewInput {
  std::string title;
  const PreviewData* data = nullptr;
  const Provenance* provenance = nullptr;  // null: not recorded
  std::vector<ViewSource> sources;
  // Every diagnostic, whoever raised it; the page shows each with its
  // place, its code, its position on the route and its notes.
  std::vector<Diagnostic> diagnostics;
  // Shown for an object when the page holds no records (`provenance` null):
  // why it has none.
  std::string no_records_reason = "No records: this page was made from compiled files.";
};

// The page's data as JSON text (UTF-8, safe to embed in a <script> element:
// no "</" appears in it).
std::string ViewDataJson(const ViewInput& input);

// The plan points (one per metre) reduced to those needed to draw the track
// within `tolerance` metres: the indices kept, first and last included.
std::vector<size_t> SimplifyPlan(const std::vector<PlanPoint>& points, double tolerance);

}  // namespace sc

#endif  // SC_PRESENT_VIEW_DATA_H_
