#include "commands/request_guard.h"

#include <algorithm>
#include <cctype>

namespace sc {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool AllowedHost(std::string_view host, int port) {
  const std::string suffix = ":" + std::to_string(port);
  if (host.size() <= suffix.size() || host.substr(host.size() - suffix.size()) != suffix) {
    return false;
  }
  std::string_view name = host.substr(0, host.size() - suffix.size());
  return name == "127.0.0.1" || EqualsIgnoringCase(name, "localhost");
}

bool UnsafePath(std::string_view path) {
  if (path.empty() || path[0] != '/') return true;
  if (path.find("..") != std::string_view::npos) return true;
  return std::any_of(path.begin(), path.end(), [](char c) {
    auto b = static_cast<unsigned char>(c);
    return c == '\\' || b < 0x20 || b == 0x7f;
  });
}

RequestVerdict Refuse(int status, std::string reason) {
  return {LiveResource::kNone, status, std::move(reason)};
}

}  // namespace

RequestVerdict CheckRequest(std::string_view method, std::string_view path, bool host_present,
                            std::string_view host, int port) {
  if (!host_present) return Refuse(400, "no Host header");
  if (!AllowedHost(host, port)) {
    return Refuse(403, "this server answers only requests for 127.0.0.1:" + std::to_string(port) +
                           " or localhost:" + std::to_string(port));
  }
  if (UnsafePath(path)) return Refuse(400, "malformed path");
  if (method != "GET" && method != "HEAD") return Refuse(405, "only GET and HEAD");
  if (path == "/" || path == "/index.html") return {LiveResource::kPage, 200, ""};
  if (path == "/data") return {LiveResource::kData, 200, ""};
  if (path == "/events") return {LiveResource::kEvents, 200, ""};
  return Refuse(404, "not found");
}

}  // namespace sc
