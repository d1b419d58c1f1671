// The scenario's documents: the embedded texts and their file names. Every
// document is written as its embedded bytes: lines of Windows-1252 text, each
// followed by CR LF.
#ifndef SC_DOCUMENTS_DOCUMENTS_H_
#define SC_DOCUMENTS_DOCUMENTS_H_

#include <string>
#include <vector>

namespace sc {

// The built-in scenario's line and train.
inline constexpr const char* kBuiltInLineName = "Vastro - Dreo";
inline constexpr const char* kBuiltInTrainNumber = "2001";

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
