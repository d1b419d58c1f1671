// The five scenario documents as the program writes them, embedded at build
// time from src/documents/texts/ (cmake/embed_files.cmake): each is the
// file's exact bytes, Windows-1252 text with CR LF after every line.
// Internal to the documents module: other modules use ScenarioDocuments.
#ifndef SC_DOCUMENTS_DOCUMENT_TEXTS_H_
#define SC_DOCUMENTS_DOCUMENT_TEXTS_H_

namespace sc {

extern const char kLineDescriptionText[];
extern const unsigned long long kLineDescriptionText_size;
extern const char kTrainServiceText[];
extern const unsigned long long kTrainServiceText_size;
extern const char kNotesText[];
extern const unsigned long long kNotesText_size;
extern const char kSlowdownOrderText[];
extern const unsigned long long kSlowdownOrderText_size;
extern const char kTimetableCardText[];
extern const unsigned long long kTimetableCardText_size;

}  // namespace sc

#endif  // SC_DOCUMENTS_DOCUMENT_TEXTS_H_
