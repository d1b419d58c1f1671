// Placeholder until the embedded texts land.
#include "documents/documents.h"

namespace sc {

std::string RenderDocument(std::span<const std::string_view> table) {
  std::string out;
  for (std::string_view line : table) {
    if (line == kDocumentEndMarker) break;
    out.append(line);
    out.append("\r\n");
  }
  return out;
}

std::string LineDescriptionFileName(const std::string& line_name) { return line_name + "_linea.txt"; }

std::string TrainServiceFileName(const std::string& line_name, const std::string& train_number) {
  return line_name + "_" + train_number + "-.txt";
}

std::vector<Document> ScenarioDocuments(const std::string&, const std::string&) { return {}; }

}  // namespace sc
