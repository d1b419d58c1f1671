// JSON-RPC 2.0 over a byte stream with "Content-Length" framing, as editors'
// language clients speak it. Both halves take and give strings, so they are
// tested without a process: the framer cuts a stream into message bodies,
// the dispatcher turns a body into a call of a handler and its response.
#ifndef SC_COMMANDS_JSON_RPC_H_
#define SC_COMMANDS_JSON_RPC_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <nlohmann/json.hpp>

namespace sc {

// Cuts "Content-Length: N\r\n[other headers\r\n]\r\n<N bytes>" messages out of
// the bytes fed to it. A malformed header block is reported and skipped up
// to the next "Content-Length"; a body above `max_body` bytes is reported and
// its bytes are dropped as they arrive, never held.
class MessageFramer {
 public:
  static constexpr size_t kDefaultMaxBody = 16 * 1024 * 1024;
  static constexpr size_t kMaxHeader = 8 * 1024;

  explicit MessageFramer(size_t max_body = kDefaultMaxBody) : max_body_(max_body) {}

  void Feed(std::string_view bytes) { buffer_.append(bytes); }

  enum class Next { kMessage, kNeedMore, kError };
  // kMessage: `body` holds the next message. kError: `error` says what was
  // wrong with the stream (call again to go on). kNeedMore: feed more.
  Next Take(std::string* body, std::string* error);

  // Bytes held, for tests of the limits.
  size_t buffered() const { return buffer_.size(); }

 private:
  // Drops the buffer up to the next "Content-Length" at or after `from`,
  // keeping a tail that may be the start of one.
  Next Resync(size_t from, const std::string& what, std::string* error);

  size_t max_body_;
  std::string buffer_;
  size_t discard_ = 0;  // body bytes of a refused message still to drop
};

// The framed form of a message body.
std::string FrameMessage(std::string_view body);

// JSON-RPC error codes.
enum RpcError : int {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,
  kInvalidParams = -32602,
  kInternalError = -32603,
  kServerNotInitialized = -32002,
  kRequestFailed = -32803,
};

// A handler's failure, turned into an error response.
struct RpcFailure {
  int code;
  std::string message;
};

// A handler's answer to a call: the result, or the failure to report.
using RpcAnswer = std::variant<nlohmann::json, RpcFailure>;

// What a handler does with a call: an answer for a request (nullopt when the
// method is unknown); for a notification, the answer's result is dropped and
// only a failure is told. A handler returns its failures as values: it
// throws nothing.
using RpcHandler = std::function<std::optional<RpcAnswer>(
    const std::string& method, const nlohmann::json& params, bool is_request)>;

// What one message body gives: the response body to send ("" for a
// notification or a response from the client), and for a notification that
// failed, which gets no response, what went wrong, for the log ("" else).
struct Dispatched {
  std::string response;
  std::string problem;
};

// The deepest nesting of arrays and objects a message may have; no message
// of the protocol comes near it.
inline constexpr int kMaxMessageDepth = 64;

// Dispatches one message body: parses it and calls `handler`. Malformed
// JSON, a body that is no request, one nested deeper than kMaxMessageDepth
// (refused as it is parsed, so no depth can exhaust the stack), an unknown
// method and a handler's RpcFailure become error responses.
Dispatched DispatchMessage(std::string_view body, const RpcHandler& handler);

// A notification's body.
std::string NotificationBody(const std::string& method, const nlohmann::json& params);

// JSON text safe for any string content (bytes that are not UTF-8 replaced).
std::string DumpJson(const nlohmann::json& value);

}  // namespace sc

#endif  // SC_COMMANDS_JSON_RPC_H_
