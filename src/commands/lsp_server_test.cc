#include "commands/lsp_server.h"

#include <gtest/gtest.h>

#include "commands/json_rpc.h"
#include "documents/documents.h"
#include "platform/mem_env.h"
#include "platform/text_1252.h"

namespace sc {
namespace {

using json = nlohmann::json;

constexpr const char* kLineUri = "file:///s/Vastro%20-%20Dreo_linea.txt";
constexpr const char* kTrainUri = "file:///s/Vastro%20-%20Dreo_2001-.txt";

// Talks to a server in memory, keeping the clock.
class Client {
 public:
  Client() : server_(env_) { Request("initialize", {{"capabilities", json::object()}}); }

  json Request(const std::string& method, const json& params) {
    std::vector<json> replies =
        Send({{"jsonrpc", "2.0"}, {"id", ++id_}, {"method", method}, {"params", params}});
    for (const json& r : replies) {
      if (r.contains("id") && r["id"] == id_) return r;
    }
    ADD_FAILURE() << "no response to " << method;
    return json();
  }
  void Notify(const std::string& method, const json& params) {
    Send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }
  std::vector<json> Send(const json& message) { return SendRaw(message.dump()); }
  std::vector<json> SendRaw(const std::string& body) {
    std::vector<std::string> out;
    server_.Handle(body, now_, &out, &log_);
    return Parse(out);
  }
  // Lets `seconds` pass; returns the diagnostics published, by URI.
  std::map<std::string, json> Wait(double seconds) {
    now_ += seconds;
    std::vector<std::string> out;
    server_.Tick(now_, &out);
    std::map<std::string, json> by_uri;
    for (const json& m : Parse(out)) by_uri[m["params"]["uri"]] = m["params"]["diagnostics"];
    return by_uri;
  }
  void Open(const std::string& uri, const std::string& bytes) {
    Notify("textDocument/didOpen", {{"textDocument",
                                     {{"uri", uri},
                                      {"languageId", "scenario"},
                                      {"version", 1},
                                      {"text", Utf8From1252(bytes)}}}});
  }
  void Change(const std::string& uri, const std::string& bytes) {
    Notify("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 2}}},
                                      {"contentChanges", {{{"text", Utf8From1252(bytes)}}}}});
  }
  json At(const std::string& method, const std::string& uri, int line, int character) {
    return Request(method, {{"textDocument", {{"uri", uri}}},
                            {"position", {{"line", line}, {"character", character}}}});
  }

  MemEnv env_;
  LspServer server_;
  std::vector<std::string> log_;

 private:
  static std::vector<json> Parse(const std::vector<std::string>& bodies) {
    std::vector<json> out;
    for (const std::string& b : bodies) out.push_back(json::parse(b));
    return out;
  }
  double now_ = 0;
  int id_ = 0;
};

std::string LineText() { return ScenarioDocuments("Vastro - Dreo", "2001")[0].bytes; }
std::string TrainText() { return ScenarioDocuments("Vastro - Dreo", "2001")[1].bytes; }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

int LineOfText(const std::string& text, const std::string& needle) {
  size_t at = text.find(needle);
  return static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

TEST(LspServer, BuiltInScenarioIsClean) {
  Client c;
  c.Open(kLineUri, LineText());
  c.Open(kTrainUri, TrainText());
  std::map<std::string, json> published = c.Wait(0);
  ASSERT_EQ(published.size(), 2u);
  EXPECT_EQ(published[kLineUri], json::array());
  EXPECT_EQ(published[kTrainUri], json::array());
}

TEST(LspServer, MisspeltKeywordWarnsUntilMended) {
  Client c;
  c.Open(kLineUri, LineText());
  c.Open(kTrainUri, TrainText());
  c.Wait(0);
  const std::string bad = Replace(TrainText(), "segnale,    2800", "segnal,    2800");
  c.Change(kTrainUri, bad);
  EXPECT_TRUE(c.Wait(0.1).empty());  // debounced
  json diagnostics = c.Wait(0.2)[kTrainUri];
  ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
  const int line = LineOfText(bad, "segnal,    2800");
  EXPECT_EQ(diagnostics[0]["range"], json::parse(R"({"start":{"line":)" + std::to_string(line) +
                                                 R"(,"character":0},"end":{"line":)" +
                                                 std::to_string(line) + R"(,"character":6}})"));
  EXPECT_EQ(diagnostics[0]["severity"], 2);
  EXPECT_EQ(diagnostics[0]["code"], "unknown-keyword");
  EXPECT_NE(diagnostics[0]["message"].get<std::string>().find("did you mean 'segnale'?"),
            std::string::npos);
  c.Change(kTrainUri, TrainText());
  EXPECT_EQ(c.Wait(0.3)[kTrainUri], json::array());
}

TEST(LspServer, CompileErrorOnTheRecordThatSetIt) {
  Client c;
  // The train file alone: its line description is read from disk.
  c.env_.files["/s/Vastro - Dreo_linea.txt"] = LineText();
  const std::string bad = Replace(TrainText(), "stazione,    3400", "stazione,    3425");
  c.Open(kTrainUri, bad);
  json diagnostics = c.Wait(0)[kTrainUri];
  ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
  EXPECT_EQ(diagnostics[0]["code"], "error 8");
  EXPECT_EQ(diagnostics[0]["severity"], 1);
  // The range is the position the check fails on: "3425", columns 13 to 17.
  const int line = LineOfText(bad, "stazione,    3425");
  EXPECT_EQ(diagnostics[0]["range"], json::parse(R"({"start":{"line":)" + std::to_string(line) +
                                                 R"(,"character":13},"end":{"line":)" +
                                                 std::to_string(line) + R"(,"character":17}})"));
  // A change to the open line description re-checks the open train file.
  c.Open(kLineUri, LineText());
  std::map<std::string, json> published = c.Wait(0);
  EXPECT_EQ(published[kTrainUri].size(), 1u);
  EXPECT_EQ(published[kLineUri], json::array());
}

TEST(LspServer, HoverNamesTheFieldAndTheStoredValue) {
  Client c;
  const std::string text =
      Replace(TrainText(), "velocita,     900,   130", "velocita,     900,   132");
  c.Open(kTrainUri, text);
  const int speed_line = LineOfText(text, "velocita,     900");
  std::string hover =
      c.At("textDocument/hover", kTrainUri, speed_line, 22)["result"]["contents"]["value"];
  EXPECT_NE(hover.find("speed 132 km/h -> stored as 130 km/h"), std::string::npos) << hover;
  hover = c.At("textDocument/hover", kTrainUri, speed_line, 15)["result"]["contents"]["value"];
  EXPECT_NE(hover.find("position 900 m, grid cell 18"), std::string::npos) << hover;
  const int station_line = LineOfText(text, "stazione,    3400");
  hover = c.At("textDocument/hover", kTrainUri, station_line, 19)["result"]["contents"]["value"];
  EXPECT_NE(hover.find("**station**, field 2 of 17: **kind**"), std::string::npos) << hover;
  EXPECT_NE(hover.find("kind 22"), std::string::npos) << hover;
  hover = c.At("textDocument/hover", kTrainUri, station_line, 2)["result"]["contents"]["value"];
  EXPECT_NE(hover.find("1. position (m)"), std::string::npos) << hover;
  EXPECT_NE(hover.find("17. name"), std::string::npos) << hover;
  // Blank space and places beyond the text: no hover, no error.
  EXPECT_TRUE(c.At("textDocument/hover", kTrainUri, station_line, 9)["result"].is_null());
  EXPECT_TRUE(c.At("textDocument/hover", kTrainUri, 100000, 5)["result"].is_null());
  EXPECT_TRUE(c.At("textDocument/hover", kTrainUri, -3, -7)["result"].is_null());
}

// The hover shows what the compiled files hold, as explain does: the first
// station's byte_4 as stored, its position's end-marker cell; the train file
// alone (no line description to compile with) shows the value as read.
TEST(LspServer, HoverShowsTheCompiledValue) {
  const std::string station = "stazione,       0,  8,  400,  1, 0, 1,";
  const int byte_4_column = static_cast<int>(station.size()) - 2;
  const std::string compiled = "byte_4 1 -> stored as 0 (slot 1: a rule of the format)";
  {
    Client c;
    c.env_.files["/s/Vastro - Dreo_linea.txt"] = LineText();
    c.Open(kTrainUri, TrainText());
    const int line = LineOfText(TrainText(), station);
    std::string hover =
        c.At("textDocument/hover", kTrainUri, line, byte_4_column)["result"]["contents"]["value"];
    EXPECT_NE(hover.find(compiled), std::string::npos) << hover;
    hover = c.At("textDocument/hover", kTrainUri, line, 16)["result"]["contents"]["value"];
    EXPECT_NE(hover.find("position 0 m, grid cell "), std::string::npos) << hover;
    EXPECT_NE(hover.find(" (its end marker)"), std::string::npos) << hover;
  }
  Client alone;
  alone.Open(kTrainUri, TrainText());
  const int line = LineOfText(TrainText(), station);
  const std::string hover =
      alone.At("textDocument/hover", kTrainUri, line, byte_4_column)["result"]["contents"]["value"];
  EXPECT_NE(hover.find("byte_4 1\n"), std::string::npos) << hover;
}

// Windows-1252 bytes of an accented name stand one for one for UTF-16 code
// units, so the columns after them stay right.
TEST(LspServer, AccentedNamesKeepColumns) {
  Client c;
  c.env_.files["/s/Vastro - Dreo_linea.txt"] = LineText();
  // "Citt\xE0 \x80" is "Citta" with a grave accent and a euro sign.
  const std::string text = Replace(TrainText(), "0, 0, 0, Montanaro", "0, 0, 0, Citt\xE0 \x80, 5");
  c.Open(kTrainUri, text);
  const int line = LineOfText(text, "Citt\xE0");
  json symbols =
      c.Request("textDocument/documentSymbol", {{"textDocument", {{"uri", kTrainUri}}}})["result"];
  bool found = false;
  for (const json& s : symbols) found = found || s["name"] == "station Citt\xC3\xA0 \xE2\x82\xAC";
  EXPECT_TRUE(found) << symbols.dump();
  const size_t col = text.substr(text.rfind('\n', text.find("Citt\xE0")) + 1).find(", 5") + 2;
  // "5" is a stray field after the name: compile warns there, in the column
  // counted past the two accented letters.
  json diagnostics = c.Wait(0)[kTrainUri];
  ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump();
  EXPECT_EQ(diagnostics[0]["code"], "extra-fields");
  EXPECT_EQ(diagnostics[0]["range"]["start"]["character"], static_cast<int>(col));
  EXPECT_EQ(diagnostics[0]["range"]["end"]["character"], static_cast<int>(col) + 1);
  std::string hover = c.At("textDocument/hover", kTrainUri, line,
                           static_cast<int>(col) - 3)["result"]["contents"]["value"];
  EXPECT_NE(hover.find("name \"Citt\xC3\xA0 \xE2\x82\xAC\""), std::string::npos) << hover;
  // A character Windows-1252 lacks, beyond U+FFFF: two UTF-16 units, two bytes.
  EXPECT_EQ(Cp1252ForEditor("a\xF0\x9F\x98\x80z\xC3\xA0"), std::string("a??z\xE0"));
}

TEST(LspServer, CompletionAndSymbols) {
  Client c;
  const std::string text = TrainText();
  c.Open(kTrainUri, text + "sta");
  const int last_line = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  json items = c.At("textDocument/completion", kTrainUri, last_line, 3)["result"];
  bool station = false;
  for (const json& item : items) {
    if (item["label"] == "stazione") {
      station = true;
      EXPECT_EQ(item["textEdit"]["newText"].get<std::string>().substr(0, 33),
                "stazione,  ${1:position},  ${2:ki");
    }
  }
  EXPECT_TRUE(station) << items.dump();
  // Not in a value field.
  const int station_line = LineOfText(TrainText(), "stazione,    3400");
  EXPECT_EQ(c.At("textDocument/completion", kTrainUri, station_line, 16)["result"], json::array());

  json symbols =
      c.Request("textDocument/documentSymbol", {{"textDocument", {{"uri", kTrainUri}}}})["result"];
  std::map<std::string, int> kinds;
  for (const json& s : symbols) kinds[s["name"].get<std::string>().substr(0, 4)]++;
  EXPECT_EQ(kinds["stat"], 10);
  EXPECT_EQ(kinds["slow"], 2);
  EXPECT_GT(kinds["sign"], 10);
}

TEST(LspServer, HostileMessagesGetErrorsNotCrashes) {
  Client c;
  auto error_code = [](const json& reply) { return reply["error"]["code"].get<int>(); };
  EXPECT_EQ(error_code(c.At("textDocument/hover", "file:///nowhere.txt", 0, 0)), kInvalidParams);
  EXPECT_EQ(error_code(c.Request("textDocument/hover", {{"textDocument", 5}})), kInvalidParams);
  EXPECT_EQ(error_code(c.Request("no/such", json::object())), kMethodNotFound);
  EXPECT_EQ(error_code(c.SendRaw("{\"id\":9,")[0]), kParseError);
  c.Notify("textDocument/didChange",
           {{"textDocument", {{"uri", "file:///nowhere.txt"}}}, {"contentChanges", json::array()}});
  c.Notify("textDocument/didOpen", {{"textDocument", {{"uri", 1}}}});
  ASSERT_EQ(c.log_.size(), 2u);
  // Parameters of the wrong shape are told as such, not thrown out.
  EXPECT_NE(c.log_[1].find("textDocument/didOpen: invalid parameters"), std::string::npos)
      << c.log_[1];
  // A range edit out of range is clamped.
  c.Open(kTrainUri, "abc");
  c.Notify("textDocument/didChange", {{"textDocument", {{"uri", kTrainUri}}},
                                      {"contentChanges",
                                       {{{"range",
                                          {{"start", {{"line", 0}, {"character", 99}}},
                                           {"end", {{"line", -5}, {"character", 1}}}}},
                                         {"text", "X"}}}}});
  c.Wait(1);
  // Not a scenario by name or content: one information diagnostic.
  c.Open("file:///s/notes.txt", "hello");
  json diagnostics = c.Wait(0)["file:///s/notes.txt"];
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics[0]["severity"], 3);
  // Shut down: requests refused, exit status 0.
  c.Request("shutdown", json());
  EXPECT_EQ(error_code(c.Request("textDocument/hover", json::object())), kInvalidRequest);
  c.Notify("exit", json());
  EXPECT_TRUE(c.server_.exit_requested());
  EXPECT_EQ(c.server_.exit_status(), 0);
}

TEST(LspServer, PathFromUri) {
  EXPECT_EQ(PathFromUri("file:///s/Vastro%20-%20Dreo_linea.txt"), "/s/Vastro - Dreo_linea.txt");
  EXPECT_EQ(PathFromUri("file:///C:/x/a%2"), "C:/x/a%2");
  EXPECT_EQ(PathFromUri("untitled:1"), "untitled:1");
}

}  // namespace
}  // namespace sc
