// Writing the embedded document tables and naming the scenario's files.
#include "documents/documents.h"

#include "documents/document_texts.h"

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

std::string LineDescriptionFileName(const std::string& line_name) {
  return line_name + "_linea.txt";
}

std::string TrainServiceFileName(const std::string& line_name, const std::string& train_number) {
  return line_name + "_" + train_number + "-.txt";
}

namespace {

// Name of a train-specific driver document: "<line>_<train>_<suffix>".
std::string TrainDocumentName(const std::string& line_name, const std::string& train_number,
                              std::string_view suffix) {
  return line_name + "_" + train_number + "_" + std::string(suffix);
}

}  // namespace

std::vector<Document> ScenarioDocuments(const std::string& line_name,
                                        const std::string& train_number) {
  return {
      {LineDescriptionFileName(line_name), RenderDocument(LineDescriptionTable())},
      {TrainServiceFileName(line_name, train_number), RenderDocument(TrainServiceTable())},
      {TrainDocumentName(line_name, train_number, "note.txt"), RenderDocument(NotesTable())},
      {TrainDocumentName(line_name, train_number, "rallentamenti.txt"),
       RenderDocument(SlowdownOrderTable())},
      {TrainDocumentName(line_name, train_number, "scheda_treno.txt"),
       RenderDocument(TimetableCardTable())},
  };
}

}  // namespace sc
