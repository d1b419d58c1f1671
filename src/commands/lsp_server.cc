#include "commands/lsp_server.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "commands/json_rpc.h"
#include "compiler/input_limits.h"
#include "compiler/record_lines.h"
#include "platform/text_1252.h"
#include "run/scenario_names.h"
#include "run/version.h"

namespace sc {
namespace {

using json = nlohmann::json;

constexpr int kSymbolClass = 5;
constexpr int kSymbolFunction = 12;
constexpr int kSymbolConstant = 14;
constexpr int kSymbolString = 15;
constexpr int kSymbolNumber = 16;
constexpr int kSymbolObject = 19;
constexpr int kSymbolKey = 20;
constexpr int kSymbolEvent = 24;
constexpr int kCompletionKeyword = 14;
constexpr int kSnippetFormat = 2;

json Position(int line, int character) { return {{"line", line}, {"character", character}}; }
json Range(int line, int begin, int end_line, int end) {
  return {{"start", Position(line, begin)}, {"end", Position(end_line, end)}};
}
json SpanRange(const FieldSpan& s) { return Range(s.line, s.begin, s.line, s.end); }
// A place's 1-based line and columns [column, end_column) as a range on one
// line, counted from 0.
json PlaceRange(const SourcePlace& p) {
  return Range(p.line - 1, p.column - 1, p.line - 1, p.end_column - 1);
}

// The protocol's severities: 1 error, 2 warning, 3 information.
int ProtocolSeverity(Severity s) {
  switch (s) {
    case Severity::kError: return 1;
    case Severity::kWarning: return 2;
    case Severity::kNote: return 3;
  }
  return 1;
}

std::string_view LineOf(const std::string& text, int64_t line) {
  size_t pos = 0;
  for (int64_t i = 0; i < line; ++i) {
    size_t next = text.find_first_of("\r\n", pos);
    if (next == std::string::npos) return {};
    pos = next + ((text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1);
  }
  size_t stop = std::min(text.find_first_of("\r\n", pos), text.size());
  return std::string_view(text).substr(pos, stop - pos);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string UriFromPath(const std::string& path) {
  static const char* kHex = "0123456789ABCDEF";
  std::string uri = "file://";
  if (!path.empty() && path[0] != '/') uri += '/';
  for (unsigned char c : path) {
    const bool plain = std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      uri += static_cast<char>(c);
    } else if (c == '\\') {
      uri += '/';
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

int SymbolKindOf(const RecordFormat& r) {
  const std::string name = r.name;
  if (name == "station") return kSymbolClass;
  if (name == "signal") return kSymbolConstant;
  if (name == "slowdown") return kSymbolEvent;
  if (name == "sign") return kSymbolString;
  if (name == "curve") return kSymbolFunction;
  if (name == "mountain") return kSymbolObject;
  if (name == "maximum-speed board") return kSymbolNumber;
  return kSymbolKey;
}

std::string Snippet(const RecordFormat& r) {
  std::string text = r.keyword;
  int n = 1;
  for (const FieldFormat& f : r.fields) text += ",  ${" + std::to_string(n++) + ":" + f.name + "}";
  return text;
}

std::string KeywordHover(const RecordFormat& r) {
  std::string text = "**" + std::string(r.name) + "** (" + ScenarioFileTitle(r.file) + ")\n\n" +
                     r.summary + "\n\n";
  int n = 1;
  for (const FieldFormat& f : r.fields) {
    text += std::to_string(n++) + ". " + f.name;
    if (*f.unit) text += std::string(" (") + f.unit + ")";
    text += std::string(": ") + f.becomes + "\n";
  }
  return text + "\n`" + r.example + "`";
}

std::string ValueHover(const RecordFormat& r, size_t index, const std::string& described) {
  const FieldFormat& f = r.fields[index];
  std::string text = "**" + std::string(r.name) + "**, field " + std::to_string(index + 1) +
                     " of " + std::to_string(r.fields.size()) + ": **" + f.name + "**";
  if (*f.unit) text += std::string(" (") + f.unit + ")";
  text += "\n\n" + std::string(f.name) + " " + Utf8From1252(described);
  return text + "\n\nBecomes: " + f.becomes;
}

}  // namespace

std::string PathFromUri(const std::string& uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.compare(0, kScheme.size(), kScheme) != 0) return uri;
  std::string path;
  for (size_t i = kScheme.size(); i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && HexValue(uri[i + 1]) >= 0 &&
        HexValue(uri[i + 2]) >= 0) {
      path += static_cast<char>(HexValue(uri[i + 1]) * 16 + HexValue(uri[i + 2]));
      i += 2;
    } else {
      path += uri[i];
    }
  }
  // "/C:/folder" is a Windows path.
  if (path.size() > 2 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  return path;
}

size_t OffsetOf(const std::string& text, int64_t line, int64_t character) {
  std::string_view l = LineOf(text, std::max<int64_t>(line, 0));
  if (l.data() == nullptr) return text.size();
  const size_t start = static_cast<size_t>(l.data() - text.data());
  return start +
         static_cast<size_t>(std::clamp<int64_t>(character, 0, static_cast<int64_t>(l.size())));
}

void LspServer::Handle(std::string_view body, double now, std::vector<std::string>* out,
                       std::vector<std::string>* log) {
  Dispatched dispatched = DispatchMessage(
      body,
      [&](const std::string& method, const json& params,
          bool is_request) -> std::optional<RpcAnswer> {
        // The handlers throw RpcFailure, and the JSON library throws on
        // parameters of the wrong shape; both end here, as answers.
        try {
          std::optional<json> result = Call(method, params, is_request, now);
          if (!result) return std::nullopt;
          return RpcAnswer(std::move(*result));
        } catch (const RpcFailure& failure) {
          return failure;
        } catch (const std::exception& e) {
          return RpcFailure{kInvalidParams, std::string("invalid parameters: ") + e.what()};
        }
      });
  if (!dispatched.problem.empty()) log->push_back(std::move(dispatched.problem));
  if (!dispatched.response.empty()) out->push_back(std::move(dispatched.response));
  for (std::string& cleared : cleared_) {
    out->push_back(NotificationBody("textDocument/publishDiagnostics",
                                    {{"uri", cleared}, {"diagnostics", json::array()}}));
  }
  cleared_.clear();
}

std::optional<json> LspServer::Call(const std::string& method, const json& params, bool is_request,
                                    double now) {
  if (method == "exit") {
    exit_requested_ = true;
    return json();
  }
  if (method == "initialize") {
    initialized_ = true;
    return json{
        {"capabilities",
         {{"positionEncoding", "utf-16"},
          {"textDocumentSync", {{"openClose", true}, {"change", 1}}},
          {"hoverProvider", true},
          {"completionProvider", {{"triggerCharacters", json::array()}}},
          {"documentSymbolProvider", true}}},
        {"serverInfo", {{"name", "scenario-compiler"}, {"version", std::string(kProgramVersion)}}}};
  }
  if (!initialized_) {
    if (is_request) throw RpcFailure{kServerNotInitialized, "the server is not initialized"};
    return std::nullopt;
  }
  if (shutdown_ && is_request) throw RpcFailure{kInvalidRequest, "the server is shut down"};
  if (method == "shutdown") {
    shutdown_ = true;
    return json();
  }
  if (method == "initialized" || method.rfind("$/", 0) == 0) return json();
  if (method == "textDocument/didOpen") return Open(params, now), json();
  if (method == "textDocument/didChange") return Change(params, now), json();
  if (method == "textDocument/didClose") return Close(params), json();
  if (method == "textDocument/didSave") return json();
  if (method == "textDocument/hover") return Hover(params);
  if (method == "textDocument/completion") return Completion(params);
  if (method == "textDocument/documentSymbol") return Symbols(params);
  return std::nullopt;
}

void LspServer::Open(const json& params, double now) {
  const json& item = params.at("textDocument");
  Document doc;
  doc.uri = item.at("uri").get<std::string>();
  doc.path = PathFromUri(doc.uri);
  doc.text = Cp1252ForEditor(item.at("text").get<std::string>());
  doc.file = ScenarioFileFromName(doc.path);
  doc.kind_from_name = doc.file.has_value();
  docs_[doc.uri] = std::move(doc);
  due_[item.at("uri").get<std::string>()] = now;
}

void LspServer::Change(const json& params, double now) {
  Document& doc = Find(params);
  for (const json& change : params.at("contentChanges")) {
    std::string text = Cp1252ForEditor(change.at("text").get<std::string>());
    if (change.contains("range")) {
      const json& range = change.at("range");
      size_t begin = OffsetOf(doc.text, range.at("start").at("line").get<int64_t>(),
                              range.at("start").at("character").get<int64_t>());
      size_t end = OffsetOf(doc.text, range.at("end").at("line").get<int64_t>(),
                            range.at("end").at("character").get<int64_t>());
      if (end < begin) std::swap(begin, end);
      doc.text.replace(begin, end - begin, text);
    } else {
      doc.text = std::move(text);
    }
  }
  if (!doc.kind_from_name) doc.file.reset();
  due_[doc.uri] = now + kDebounceSeconds;
}

void LspServer::Close(const json& params) {
  Document& doc = Find(params);
  const std::string uri = doc.uri;
  due_.erase(uri);
  docs_.erase(uri);
  cleared_.push_back(uri);
}

LspServer::Document& LspServer::Find(const json& params) {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  auto it = docs_.find(uri);
  if (it == docs_.end()) throw RpcFailure{kInvalidParams, "unknown document " + uri};
  return it->second;
}

json LspServer::Hover(const json& params) {
  Document& doc = Find(params);
  const int64_t line = params.at("position").at("line").get<int64_t>();
  const int64_t character = params.at("position").at("character").get<int64_t>();
  if (!Kind(doc)) return json();
  const FileAnnotation a = AnnotateFile(*doc.file, doc.text);
  for (const AnnotatedField& f : a.fields) {
    if (f.span.line != line || character < f.span.begin || character > f.span.end) continue;
    std::string text;
    if (f.role == FieldRole::kKeyword) {
      for (const AnnotatedRecord& r : a.records) {
        if (&a.fields[static_cast<size_t>(r.keyword)] == &f)
          text += (text.empty() ? "" : "\n\n---\n\n") + KeywordHover(*r.format);
      }
    } else if (f.role == FieldRole::kValue) {
      const AnnotatedRecord& r = a.records[static_cast<size_t>(f.record)];
      const size_t index = static_cast<size_t>(f.field_index);
      std::optional<CompiledRecords> compiled = Compiled(doc);
      text = ValueHover(*r.format, index,
                        DescribeCompiledField(compiled ? &*compiled : nullptr, doc.path, a, r,
                                              index));
    } else {
      continue;
    }
    return json{{"contents", {{"kind", "markdown"}, {"value", text}}},
                {"range", SpanRange(f.span)}};
  }
  return json();
}

json LspServer::Completion(const json& params) {
  Document& doc = Find(params);
  const int64_t line = params.at("position").at("line").get<int64_t>();
  const size_t offset =
      OffsetOf(doc.text, line, params.at("position").at("character").get<int64_t>());
  std::string_view text = LineOf(doc.text, line);
  json items = json::array();
  if (text.data() == nullptr || !Kind(doc)) return items;
  const size_t line_start = static_cast<size_t>(text.data() - doc.text.data());
  std::string_view before = std::string_view(doc.text).substr(line_start, offset - line_start);
  const size_t first = before.find_first_not_of(" \t");
  // Keywords are offered only in a line's first field.
  if (before.find(',') != std::string_view::npos) return items;
  const int begin = static_cast<int>(first == std::string_view::npos ? before.size() : first);
  const json range =
      Range(static_cast<int>(line), begin, static_cast<int>(line), static_cast<int>(before.size()));
  for (const RecordFormat& r : RecordFormats()) {
    if (r.file != *doc.file) continue;
    items.push_back({{"label", r.keyword},
                     {"kind", kCompletionKeyword},
                     {"detail", r.name},
                     {"documentation", r.summary},
                     {"insertTextFormat", kSnippetFormat},
                     {"textEdit", {{"range", range}, {"newText", Snippet(r)}}}});
  }
  for (const char* marker : SectionMarkers(*doc.file)) {
    items.push_back({{"label", marker},
                     {"kind", kCompletionKeyword},
                     {"detail", "section marker"},
                     {"textEdit", {{"range", range}, {"newText", marker}}}});
  }
  return items;
}

json LspServer::Symbols(const json& params) {
  Document& doc = Find(params);
  json symbols = json::array();
  if (!Kind(doc)) return symbols;
  const FileAnnotation a = AnnotateFile(*doc.file, doc.text);
  for (const AnnotatedRecord& r : a.records) {
    if (!r.format->has_symbol || r.values.empty() || !r.complete) continue;
    const AnnotatedField& keyword = a.fields[static_cast<size_t>(r.keyword)];
    const AnnotatedField& last = a.fields[static_cast<size_t>(r.values.back())];
    const FieldFormat& first_format = r.format->fields[0];
    const std::string& first = a.fields[static_cast<size_t>(r.values[0])].span.text;
    std::string name = std::string(r.format->name) + " at " + first + " m";
    if (r.format->fields.back().type == FieldType::kText) {
      name = std::string(r.format->name) + " " + Utf8From1252(last.span.text);
    }
    symbols.push_back(
        {{"name", name},
         {"detail", Utf8From1252(first_format.name + std::string(" ") +
                                 DescribeFieldValue(first_format, first))},
         {"kind", SymbolKindOf(*r.format)},
         {"range", Range(keyword.span.line, keyword.span.begin, last.span.line, last.span.end)},
         {"selectionRange", SpanRange(keyword.span)}});
  }
  return symbols;
}

bool LspServer::Kind(Document& doc) {
  if (doc.file) return true;
  ScenarioFile file;
  if (ScenarioFileFromContent(doc.text, &file)) doc.file = file;
  return doc.file.has_value();
}

const LspServer::Document* LspServer::OpenByPath(const std::string& path) const {
  for (const auto& [uri, doc] : docs_) {
    if (doc.path == path) return &doc;
  }
  return nullptr;
}

void LspServer::Check(Document& doc, std::map<std::string, std::vector<Diagnostic>>* by_path) {
  auto information = [&](const std::string& message) {
    Diagnostic d;
    d.place = {doc.path, 1, 1, static_cast<int>(LineOf(doc.text, 0).size()) + 1};
    d.severity = Severity::kNote;
    d.tag = "file-name";
    d.message = message;
    (*by_path)[doc.path].push_back(d);
  };
  (*by_path)[doc.path];
  if (!Kind(doc)) {
    information(
        "not a scenario file: name a line description <line>_linea.txt and a train and service "
        "file "
        "<line>_<train>-.txt, in one folder");
    return;
  }
  std::vector<Diagnostic> found;
  const ScenarioText self{doc.path, doc.text};
  if (*doc.file == ScenarioFile::kLine) {
    bool any_train = false;
    for (const auto& [uri, other] : docs_) {
      if (other.file != ScenarioFile::kTrain || LineFileOfTrain(other.path) != doc.path) continue;
      any_train = true;
      (*by_path)[other.path];
      for (Diagnostic& d : CheckScenario(self, ScenarioText{other.path, other.text}))
        found.push_back(std::move(d));
    }
    if (!any_train) found = CheckScenario(self, std::nullopt);
  } else {
    std::optional<std::string> line_path =
        doc.kind_from_name ? LineFileOfTrain(doc.path) : std::nullopt;
    ScenarioText line{line_path.value_or(""), {}};
    const Document* open_line = line_path ? OpenByPath(*line_path) : nullptr;
    bool have_line = open_line != nullptr;
    if (open_line) {
      line.bytes = open_line->text;
      (*by_path)[line.path];
    } else if (line_path) {
      have_line = env_.ReadFile(*line_path, kMaxTextInputBytes, &line.bytes).ok();
    }
    if (have_line) {
      found = CheckScenario(line, self);
    } else {
      found = KeywordWarnings(doc.path, AnnotateFile(ScenarioFile::kTrain, doc.text));
      information(
          line_path
              ? "no line description " + BaseName(*line_path) +
                    " beside this file: it is checked without compiling"
              : "checked as a train and service file from its content; name it <line>_<train>-.txt "
                "beside <line>_linea.txt to compile it");
    }
  }
  if (!doc.kind_from_name && *doc.file == ScenarioFile::kLine) {
    information(
        "checked as a line description from its content; name it <line>_linea.txt so that its "
        "train files "
        "find it");
  }
  // A diagnostic already listed for its file (the line description checked
  // with each of its trains) is listed once; what tells them apart is kept
  // in a set, so many diagnostics cost no more than a sort.
  using Identity = std::tuple<int, int, std::string, std::string>;
  const auto identity = [](const Diagnostic& d) {
    return Identity(d.place.line, d.place.column, DiagnosticCode(d), d.message);
  };
  std::map<std::string, std::set<Identity>> listed;
  for (Diagnostic& d : found) {
    std::vector<Diagnostic>& list = (*by_path)[d.place.file];
    auto [seen, fresh] = listed.try_emplace(d.place.file);
    if (fresh) {
      for (const Diagnostic& e : list) seen->second.insert(identity(e));
    }
    if (seen->second.insert(identity(d)).second) list.push_back(std::move(d));
  }
}

std::optional<CompiledRecords> LspServer::Compiled(const Document& doc) {
  const ScenarioText self{doc.path, doc.text};
  if (*doc.file == ScenarioFile::kLine) {
    for (const auto& [uri, other] : docs_) {
      if (other.file == ScenarioFile::kTrain && LineFileOfTrain(other.path) == doc.path)
        return CompiledRecords(self, ScenarioText{other.path, other.text});
    }
    return CompiledRecords(self, std::nullopt);
  }
  std::optional<std::string> line_path =
      doc.kind_from_name ? LineFileOfTrain(doc.path) : std::nullopt;
  if (!line_path) return std::nullopt;
  ScenarioText line{*line_path, {}};
  if (const Document* open = OpenByPath(*line_path)) {
    line.bytes = open->text;
  } else if (!env_.ReadFile(*line_path, kMaxTextInputBytes, &line.bytes).ok()) {
    return std::nullopt;
  }
  return CompiledRecords(line, self);
}

json LspServer::DiagnosticJson(const Diagnostic& d) const {
  json out = {{"range", PlaceRange(d.place)},
              {"severity", ProtocolSeverity(d.severity)},
              {"code", DiagnosticCode(d)},
              {"source", "scenario-compiler"},
              {"message", Utf8From1252(DiagnosticMessage(d))}};
  if (!d.notes.empty()) {
    json related = json::array();
    for (const DiagnosticNote& note : d.notes) {
      const Document* doc = OpenByPath(note.place.file);
      related.push_back({{"location",
                          {{"uri", doc ? doc->uri : UriFromPath(note.place.file)},
                           {"range", PlaceRange(note.place)}}},
                         {"message", Utf8From1252(note.message)}});
    }
    out["relatedInformation"] = related;
  }
  return out;
}

std::optional<double> LspServer::NextDue() const {
  std::optional<double> next;
  for (const auto& [uri, when] : due_) next = next ? std::min(*next, when) : when;
  return next;
}

void LspServer::Tick(double now, std::vector<std::string>* out) {
  std::map<std::string, std::vector<Diagnostic>> by_path;
  for (auto it = due_.begin(); it != due_.end();) {
    if (it->second > now) {
      ++it;
      continue;
    }
    auto doc = docs_.find(it->first);
    if (doc != docs_.end()) Check(doc->second, &by_path);
    it = due_.erase(it);
  }
  for (const auto& [path, list] : by_path) {
    const Document* doc = OpenByPath(path);
    if (doc == nullptr) continue;
    json diagnostics = json::array();
    for (const Diagnostic& d : list) diagnostics.push_back(DiagnosticJson(d));
    out->push_back(NotificationBody("textDocument/publishDiagnostics",
                                    {{"uri", doc->uri}, {"diagnostics", diagnostics}}));
  }
}

}  // namespace sc
