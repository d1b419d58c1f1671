// The language server's state and answers: open documents, their checks,
// hover, completion and the outline. It takes message bodies and the time,
// and returns message bodies, so it is tested without a process; the
// `lsp` command feeds it from standard input.
//
// Documents arrive as UTF-8 and are held as Windows-1252, one byte per
// UTF-16 code unit (see Cp1252ForEditor), so a protocol column is a byte
// offset in the held text.
#ifndef SC_COMMANDS_LSP_SERVER_H_
#define SC_COMMANDS_LSP_SERVER_H_

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "commands/compiled_records.h"
#include "commands/scenario_check.h"
#include "platform/env.h"

namespace sc {

class LspServer {
 public:
  // Files that are not open (a train file's line description) are read
  // through `env`.
  explicit LspServer(Env& env) : env_(env) {}

  // A check waits this long after a change, so typing is not checked at
  // every key.
  static constexpr double kDebounceSeconds = 0.2;

  // Handles one message body received at `now` (seconds on any steady
  // clock); appends the bodies to send to `out`. Log lines for the
  // server's own error stream go to `log`.
  void Handle(std::string_view body, double now, std::vector<std::string>* out,
              std::vector<std::string>* log);

  // Runs the checks due at `now` and appends their diagnostics to `out`.
  void Tick(double now, std::vector<std::string>* out);

  // When the next check is due, if any.
  std::optional<double> NextDue() const;

  bool exit_requested() const { return exit_requested_; }
  // 0 when "exit" came after "shutdown", 1 otherwise.
  int exit_status() const { return shutdown_ ? 0 : 1; }

 private:
  struct Document {
    std::string uri;
    std::string path;
    std::string text;  // Windows-1252
    std::optional<ScenarioFile> file;
    bool kind_from_name = false;
  };

  std::optional<nlohmann::json> Call(const std::string& method, const nlohmann::json& params,
                                     bool is_request, double now);
  void Open(const nlohmann::json& params, double now);
  void Change(const nlohmann::json& params, double now);
  void Close(const nlohmann::json& params);
  Document& Find(const nlohmann::json& params);
  nlohmann::json Hover(const nlohmann::json& params);
  nlohmann::json Completion(const nlohmann::json& params);
  nlohmann::json Symbols(const nlohmann::json& params);

  // The file kind, from the name or else the content; false if neither.
  bool Kind(Document& doc);
  // Checks `doc` (with the files of its scenario) into diagnostics by path;
  // every open file of the scenario gets an entry, empty when clean.
  void Check(Document& doc, std::map<std::string, std::vector<Diagnostic>>* by_path);
  const Document* OpenByPath(const std::string& path) const;
  // `doc` compiled with its partner (an open train file of a line
  // description, or a train file's line description, open or on disk), for
  // the values its records store; nullopt when a train file has no line
  // description.
  std::optional<CompiledRecords> Compiled(const Document& doc);
  // A diagnostic as the protocol carries it (placed as CheckScenario places
  // them): 0-based lines and columns, the severity's number, the code.
  nlohmann::json DiagnosticJson(const Diagnostic& d) const;

  Env& env_;
  std::map<std::string, Document> docs_;  // by URI
  std::map<std::string, double> due_;     // URI -> when its check is due
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exit_requested_ = false;
  std::vector<std::string> cleared_;  // closed documents whose diagnostics go
};

// The file path of a "file:" URI (percent-decoded); other URIs as they are.
std::string PathFromUri(const std::string& uri);

// The byte offset in `text` of a protocol position; clamped to the line's
// end and the text's end.
size_t OffsetOf(const std::string& text, int64_t line, int64_t character);

}  // namespace sc

#endif  // SC_COMMANDS_LSP_SERVER_H_
