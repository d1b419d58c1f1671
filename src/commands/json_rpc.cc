#include "commands/json_rpc.h"

#include <algorithm>
#include <cctype>

namespace sc {
namespace {

constexpr std::string_view kLengthHeader = "content-length:";
constexpr std::string_view kHeaderEnd = "\r\n\r\n";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

size_t FindIgnoringCase(std::string_view text, std::string_view needle, size_t from) {
  for (size_t i = from; i + needle.size() <= text.size(); ++i) {
    if (StartsWithIgnoringCase(text.substr(i), needle)) return i;
  }
  return std::string_view::npos;
}

// The body length of a header block, or nullopt when it has none or a
// malformed one.
std::optional<size_t> ContentLength(std::string_view headers) {
  std::optional<size_t> length;
  size_t pos = 0;
  while (pos < headers.size()) {
    size_t end = headers.find("\r\n", pos);
    if (end == std::string_view::npos) end = headers.size();
    std::string_view line = headers.substr(pos, end - pos);
    pos = end + 2;
    // Stray bytes before the header (the rest of a refused message) are
    // tolerated.
    const size_t at = FindIgnoringCase(line, kLengthHeader, 0);
    if (at == std::string_view::npos) continue;
    std::string_view value = line.substr(at + kLengthHeader.size());
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    if (value.empty() || value.size() > 12) return std::nullopt;
    size_t n = 0;
    for (char c : value) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + static_cast<size_t>(c - '0');
    }
    if (length) return std::nullopt;  // two lengths: which one?
    length = n;
  }
  return length;
}

nlohmann::json ErrorResponse(const nlohmann::json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

// True when the JSON text `body` nests arrays and objects more than `limit`
// deep. Brackets inside strings do not count; in text that is no JSON the
// answer does not matter, as the parse refuses it.
bool NestsDeeperThan(std::string_view body, int limit) {
  int depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

// A response to send, with nothing for the log.
Dispatched Respond(const nlohmann::json& response) { return {DumpJson(response), ""}; }

}  // namespace

MessageFramer::Next MessageFramer::Resync(size_t from, const std::string& what,
                                          std::string* error) {
  size_t next = FindIgnoringCase(buffer_, kLengthHeader, from);
  if (next == std::string::npos) {
    const size_t keep = kLengthHeader.size() - 1;
    next = std::max(from, buffer_.size() > keep ? buffer_.size() - keep : 0);
    next = std::min(next, buffer_.size());
  }
  buffer_.erase(0, next);
  *error = what;
  return Next::kError;
}

MessageFramer::Next MessageFramer::Take(std::string* body, std::string* error) {
  if (discard_ > 0) {
    size_t n = std::min(discard_, buffer_.size());
    buffer_.erase(0, n);
    discard_ -= n;
    if (discard_ > 0) return Next::kNeedMore;
  }
  // Blank lines between messages are tolerated.
  size_t start = buffer_.find_first_not_of("\r\n");
  if (start == std::string::npos) {
    buffer_.clear();
    return Next::kNeedMore;
  }
  if (start > 0) buffer_.erase(0, start);
  size_t end = buffer_.find(kHeaderEnd);
  if (end == std::string::npos) {
    if (buffer_.size() > kMaxHeader) return Resync(1, "a header block longer than 8 KiB", error);
    return Next::kNeedMore;
  }
  if (end > kMaxHeader) return Resync(1, "a header block longer than 8 KiB", error);
  std::optional<size_t> length = ContentLength(std::string_view(buffer_).substr(0, end + 2));
  const size_t body_start = end + kHeaderEnd.size();
  if (!length) return Resync(body_start, "a header block without a valid Content-Length", error);
  if (*length > max_body_) {
    buffer_.erase(0, body_start);
    discard_ = *length;
    *error = "a message of " + std::to_string(*length) + " bytes, above the limit of " +
             std::to_string(max_body_);
    return Next::kError;
  }
  if (buffer_.size() - body_start < *length) return Next::kNeedMore;
  body->assign(buffer_, body_start, *length);
  buffer_.erase(0, body_start + *length);
  return Next::kMessage;
}

std::string FrameMessage(std::string_view body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

std::string DumpJson(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string NotificationBody(const std::string& method, const nlohmann::json& params) {
  return DumpJson({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

Dispatched DispatchMessage(std::string_view body, const RpcHandler& handler) {
  // Parsing and destroying a value keep their nesting on the heap, but
  // copying or handling one recurses: a message nested too deeply is
  // answered from its id alone, and nothing else of it is touched.
  const bool too_deep = NestsDeeperThan(body, kMaxMessageDepth);
  nlohmann::json message = nlohmann::json::parse(body, nullptr, false);
  if (message.is_discarded())
    return Respond(ErrorResponse(nullptr, kParseError, "the message is not JSON"));
  if (!message.is_object())
    return Respond(ErrorResponse(nullptr, kInvalidRequest, "the message is not an object"));
  const auto id_at = message.find("id");
  const bool has_id = id_at != message.end();
  if (has_id && !id_at->is_number_integer() && !id_at->is_string() && !id_at->is_null()) {
    return Respond(
        ErrorResponse(nullptr, kInvalidRequest, "the id is neither a number nor a string"));
  }
  const nlohmann::json id = has_id ? *id_at : nlohmann::json();
  if (too_deep) {
    return Respond(ErrorResponse(id, kInvalidRequest,
                                 "the message nests arrays and objects deeper than " +
                                     std::to_string(kMaxMessageDepth) + " levels"));
  }
  auto method = message.find("method");
  if (method == message.end()) {
    // A response to a request of ours; we send none that need an answer.
    if (has_id && (message.contains("result") || message.contains("error"))) return {};
    return Respond(ErrorResponse(id, kInvalidRequest, "the message has no method"));
  }
  if (!method->is_string())
    return Respond(ErrorResponse(id, kInvalidRequest, "the method is not a string"));
  const nlohmann::json params = message.value("params", nlohmann::json::object());
  std::optional<RpcAnswer> answer = handler(method->get<std::string>(), params, has_id);
  if (!answer) {
    if (!has_id) return {};
    return Respond(
        ErrorResponse(id, kMethodNotFound, "unknown method " + method->get<std::string>()));
  }
  if (const RpcFailure* failure = std::get_if<RpcFailure>(&*answer)) {
    if (has_id) return Respond(ErrorResponse(id, failure->code, failure->message));
    return {"", method->get<std::string>() + ": " + failure->message};
  }
  if (!has_id) return {};
  return Respond({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::get<nlohmann::json>(*answer)}});
}

}  // namespace sc
