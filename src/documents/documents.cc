// The embedded documents and the scenario's file names.
#include "documents/documents.h"

#include "documents/document_texts.h"

namespace sc {

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

std::string Text(const char* bytes, unsigned long long size) {
  return std::string(bytes, static_cast<size_t>(size));
}

}  // namespace

std::vector<Document> ScenarioDocuments(const std::string& line_name,
                                        const std::string& train_number) {
  return {
      {LineDescriptionFileName(line_name), Text(kLineDescriptionText, kLineDescriptionText_size)},
      {TrainServiceFileName(line_name, train_number),
       Text(kTrainServiceText, kTrainServiceText_size)},
      {TrainDocumentName(line_name, train_number, "note.txt"), Text(kNotesText, kNotesText_size)},
      {TrainDocumentName(line_name, train_number, "rallentamenti.txt"),
       Text(kSlowdownOrderText, kSlowdownOrderText_size)},
      {TrainDocumentName(line_name, train_number, "scheda_treno.txt"),
       Text(kTimetableCardText, kTimetableCardText_size)},
  };
}

}  // namespace sc
