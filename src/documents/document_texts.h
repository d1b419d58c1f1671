// The embedded line tables of the five scenario documents. Each table holds
// the document's lines in order, as Windows-1252 bytes, and ends with
// kDocumentEndMarker; RenderDocument turns a table into the file's bytes.
// Internal to the documents module: other modules use ScenarioDocuments.
#ifndef SC_DOCUMENTS_DOCUMENT_TEXTS_H_
#define SC_DOCUMENTS_DOCUMENT_TEXTS_H_

#include <span>
#include <string_view>

#include "documents/documents.h"

namespace sc {

// The contact address printed in the credit boxes of the notes, the slowdown
// order and the timetable card, and in the notes' closing greeting.
inline constexpr std::string_view kContactAddress = "tarvesi.q@example.org";

std::span<const std::string_view> LineDescriptionTable();  // 99 lines
std::span<const std::string_view> TrainServiceTable();     // 57 lines
std::span<const std::string_view> NotesTable();            // 41 lines
std::span<const std::string_view> SlowdownOrderTable();    // 25 lines
std::span<const std::string_view> TimetableCardTable();    // 36 lines

}  // namespace sc

#endif  // SC_DOCUMENTS_DOCUMENT_TEXTS_H_
