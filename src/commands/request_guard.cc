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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
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
  if (path == "/failed-data") return {LiveResource::kFailedData, 200, ""};
  if (path == "/events") return {LiveResource::kEvents, 200, ""};
  return Refuse(404, "not found");
}

bool DecodeTargetPath(std::string_view target, std::string* path) {
  target = target.substr(0, target.find('?'));
  path->clear();
  for (size_t i = 0; i < target.size(); ++i) {
    if (target[i] != '%') {
      path->push_back(target[i]);
      continue;
    }
    const int high = i + 2 < target.size() ? HexDigit(target[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(target[i + 2]) : -1;
    if (low < 0) return false;
    path->push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return true;
}

}  // namespace sc
