// What the viewer page shows, as one JSON document: the drawable scenario
// (from preview_data), the input texts, which record wrote each cell and
// object (when provenance was recorded) and the diagnostics.
#ifndef SC_PRESENT_VIEW_DATA_H_
#define SC_PRESENT_VIEW_DATA_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// One diagnostic, whoever raised it. `line` and `column` 0: not known.
struct ViewDiagnostic {
  std::string file;
  int line = 0;
  int column = 0;
  std::string severity;    // "error", "warning", "note"
  std::string class_name;  // e.g. "error 16"
  std::string message;
  std::optional<int64_t> metre;  // where on the route, when known
};

struct ViewInput {
  std::string title;
  const PreviewData* data = nullptr;
  const Provenance* provenance = nullptr;  // null: not recorded
  std::vector<ViewSource> sources;
  std::vector<ViewDiagnostic> diagnostics;
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
