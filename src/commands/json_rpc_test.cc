#include "commands/json_rpc.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

using json = nlohmann::json;

// Feeds `stream` in pieces of `step` bytes; returns the messages and the
// errors in order, errors prefixed "!".
std::vector<std::string> Frames(const std::string& stream, size_t step, size_t max_body = 1000) {
  MessageFramer framer(max_body);
  std::vector<std::string> out;
  for (size_t i = 0; i < stream.size(); i += step) {
    framer.Feed(std::string_view(stream).substr(i, step));
    std::string body, error;
    for (;;) {
      MessageFramer::Next next = framer.Take(&body, &error);
      if (next == MessageFramer::Next::kNeedMore) break;
      out.push_back(next == MessageFramer::Next::kMessage ? body : "!" + error);
    }
  }
  return out;
}

TEST(MessageFramer, CutsMessagesWhateverThePieces) {
  const std::string stream =
      FrameMessage("{\"a\":1}") +
      "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\ncontent-length: 2\r\n\r\n{}" +
      FrameMessage("");
  for (size_t step : {1, 3, 1000}) {
    EXPECT_EQ(Frames(stream, step), (std::vector<std::string>{"{\"a\":1}", "{}", ""})) << step;
  }
}

TEST(MessageFramer, RecoversFromBadFraming) {
  struct Case {
    std::string stream;
    std::vector<std::string> expected;
  } cases[] = {
      {"Content-Length: x1\r\n\r\n{}" + FrameMessage("ok"),
       {"!a header block without a valid Content-Length", "ok"}},
      {"Content-Length: 2\r\nContent-Length: 3\r\n\r\n{}" + FrameMessage("ok"),
       {"!a header block without a valid Content-Length", "ok"}},
      {"garbage\r\n\r\n" + FrameMessage("ok"),
       {"!a header block without a valid Content-Length", "ok"}},
      {std::string(9000, 'x') + "\r\n\r\n" + FrameMessage("ok"),
       {"!a header block longer than 8 KiB", "ok"}},
      // A message above the limit is dropped as it comes, and the next one read.
      {"Content-Length: 5000\r\n\r\n" + std::string(5000, '{') + FrameMessage("ok"),
       {"!a message of 5000 bytes, above the limit of 1000", "ok"}},
      {"Content-Length: 99999999999999999999\r\n\r\n" + FrameMessage("ok"),
       {"!a header block without a valid Content-Length", "ok"}},
  };
  // How many errors a stream gives may depend on how it arrives; the first
  // error and the messages after it do not.
  for (const Case& c : cases) {
    for (size_t step : {1, 7, 100000}) {
      std::vector<std::string> got = Frames(c.stream, step);
      ASSERT_FALSE(got.empty());
      EXPECT_EQ(got.front(), c.expected.front()) << step << " " << c.stream.substr(0, 40);
      EXPECT_EQ(got.back(), c.expected.back()) << step << " " << c.stream.substr(0, 40);
    }
  }
}

TEST(MessageFramer, NeverHoldsARefusedBody) {
  MessageFramer framer(10);
  framer.Feed("Content-Length: 1000000\r\n\r\n");
  std::string body, error;
  EXPECT_EQ(framer.Take(&body, &error), MessageFramer::Next::kError);
  for (int i = 0; i < 100; ++i) {
    framer.Feed(std::string(10000, 'x'));
    EXPECT_EQ(framer.Take(&body, &error), MessageFramer::Next::kNeedMore);
    EXPECT_EQ(framer.buffered(), 0u);
  }
  framer.Feed(FrameMessage("{}"));
  EXPECT_EQ(framer.Take(&body, &error), MessageFramer::Next::kMessage);
  EXPECT_EQ(body, "{}");
}

TEST(DispatchMessage, ErrorsAreResponses) {
  auto handler = [](const std::string& method, const json& params,
                    bool) -> std::optional<RpcAnswer> {
    if (method == "echo") {
      if (!params.contains("x")) return RpcFailure{kInvalidParams, "invalid parameters: no x"};
      return RpcAnswer(params["x"]);
    }
    if (method == "fail") return RpcFailure{kRequestFailed, "no"};
    return std::nullopt;
  };
  struct Case {
    const char* body;
    const char* response;  // "" for none
  } cases[] = {
      {R"({"jsonrpc":"2.0","id":1,"method":"echo","params":{"x":5}})",
       R"({"id":1,"jsonrpc":"2.0","result":5})"},
      {R"({"jsonrpc":"2.0","method":"echo","params":{"x":5}})", ""},
      {R"({"jsonrpc":"2.0","id":2,"result":null})", ""},
      {"{not json",
       R"({"error":{"code":-32700,"message":"the message is not JSON"},"id":null,"jsonrpc":"2.0"})"},
      {"[1]",
       R"({"error":{"code":-32600,"message":"the message is not an object"},"id":null,"jsonrpc":"2.0"})"},
      {R"({"id":3})",
       R"({"error":{"code":-32600,"message":"the message has no method"},"id":3,"jsonrpc":"2.0"})"},
      {R"({"id":{},"method":"echo"})",
       R"({"error":{"code":-32600,"message":"the id is neither a number nor a string"},"id":null,"jsonrpc":"2.0"})"},
      {R"({"id":"a","method":"nope"})",
       R"({"error":{"code":-32601,"message":"unknown method nope"},"id":"a","jsonrpc":"2.0"})"},
      {R"({"id":4,"method":"fail"})",
       R"({"error":{"code":-32803,"message":"no"},"id":4,"jsonrpc":"2.0"})"},
      {R"({"id":5,"method":"echo","params":{}})", nullptr},
      // A notification of a method nobody handles is dropped unanswered.
      {R"({"jsonrpc":"2.0","method":"nope","params":{}})", ""},
      {R"({"jsonrpc":"2.0","method":"$/cancelRequest","params":{"id":1}})", ""},
  };
  for (const Case& c : cases) {
    std::string response = DispatchMessage(c.body, handler).response;
    if (c.response == nullptr) {
      EXPECT_EQ(json::parse(response)["error"]["code"], kInvalidParams) << c.body;
    } else {
      EXPECT_EQ(response, c.response) << c.body;
    }
  }
  Dispatched failed = DispatchMessage(R"({"method":"echo","params":{}})", handler);
  EXPECT_EQ(failed.response, "");
  EXPECT_NE(failed.problem.find("echo: invalid parameters"), std::string::npos) << failed.problem;
}

TEST(DispatchMessage, RefusesDeepNestingWithoutRecursing) {
  auto echo = [](const std::string&, const json& params, bool) -> std::optional<RpcAnswer> {
    return RpcAnswer(params);
  };
  const auto nested = [](size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
  };
  // Deep enough to exhaust any stack if copied or handled recursively.
  const std::string deep = nested(1000000);
  const std::string refused =
      R"({"code":-32600,"message":"the message nests arrays and objects deeper than 64 levels"})";
  struct Case {
    std::string body;
    std::string response;
  } cases[] = {
      {R"({"jsonrpc":"2.0","id":7,"method":"echo","params":)" + deep + "}",
       R"({"error":)" + refused + R"(,"id":7,"jsonrpc":"2.0"})"},
      {R"({"jsonrpc":"2.0","method":"echo","params":)" + deep + "}",
       R"({"error":)" + refused + R"(,"id":null,"jsonrpc":"2.0"})"},
      {R"({"jsonrpc":"2.0","id":)" + deep + R"(,"method":"echo"})",
       R"({"error":{"code":-32600,"message":"the id is neither a number nor a string"},"id":null,"jsonrpc":"2.0"})"},
      // Brackets in strings are text, and 64 levels are still read.
      {R"({"id":8,"method":"echo","params":[")" + deep + R"("]})",
       R"({"id":8,"jsonrpc":"2.0","result":[")" + deep + R"("]})"},
      {R"({"id":9,"method":"echo","params":)" + nested(63) + "}",
       R"({"id":9,"jsonrpc":"2.0","result":)" + nested(63) + "}"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DispatchMessage(c.body, echo).response, c.response) << c.body.substr(0, 60);
  }
}

}  // namespace
}  // namespace sc
