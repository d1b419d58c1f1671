// The scenario's documents: the embedded texts and the way they are written.
// Every document is a table of lines ended by the marker
// "riferimento fine del file"; it is written up to the marker, each line as
// its Windows-1252 bytes followed by CR LF.
#ifndef SC_DOCUMENTS_DOCUMENTS_H_
#define SC_DOCUMENTS_DOCUMENTS_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sc {

// The built-in scenario's line and train.
inline constexpr const char* kBuiltInLineName = "Vastro - Dreo";
inline constexpr const char* kBuiltInTrainNumber = "2001";

inline constexpr std::string_view kDocumentEndMarker = "riferimento fine del file";

// The lines of `table` up to (not including) the end marker, each followed by
// CR LF. A table without the marker is written whole.
std::string RenderDocument(std::span<const std::string_view> table);

struct Document {
  std::string file_name;  // name inside the output folder
  std::string bytes;      // the file's exact content
};

// File names of the two text descriptions the compiler reads.
std::string LineDescriptionFileName(const std::string& line_name);
std::string TrainServiceFileName(const std::string& line_name, const std::string& train_number);

// The five documents of the built-in scenario, in the order the run writes
// them: line description, train and service, notes, slowdown order,
// timetable card. The names only change the file names, never the content.
std::vector<Document> ScenarioDocuments(const std::string& line_name,
                                        const std::string& train_number);

}  // namespace sc

#endif  // SC_DOCUMENTS_DOCUMENTS_H_
