// Which requests the live viewer's server answers. It serves a scenario the
// author has not published, so it answers only what its own page asks for:
// the page, its data and the update stream, requested by name from this
// machine. Nothing in a request ever names a file.
#ifndef SC_COMMANDS_REQUEST_GUARD_H_
#define SC_COMMANDS_REQUEST_GUARD_H_

#include <string>
#include <string_view>

namespace sc {

enum class LiveResource { kNone, kPage, kData, kFailedData, kEvents };

struct RequestVerdict {
  LiveResource resource = LiveResource::kNone;
  int status = 200;    // 200: serve `resource`; otherwise the refusal's status
  std::string reason;  // the refusal in words, for the response body
};

// The verdict on a request: `method`, its decoded `path` (without the
// query), and its Host header (`host_present` false: none was sent), for a
// server listening on 127.0.0.1:`port`.
//  - Host must be "127.0.0.1:PORT" or "localhost:PORT" (any letter case):
//    a page from elsewhere that reaches the port through a name pointing at
//    this machine sends its own name and is refused (403; 400 without Host).
//  - A path with "..", a backslash or a control byte: 400.
//  - Only GET and HEAD: 405.
//  - "/" (or "/index.html"): the page; "/data": the data; "/failed-data":
//    the data of a save whose check failed, shown only on request;
//    "/events": the update stream; anything else: 404.
RequestVerdict CheckRequest(std::string_view method, std::string_view path, bool host_present,
                            std::string_view host, int port);

// The path of a request target as it arrives ("/a%20b?x=1"): the part before
// the query, with its %XX escapes decoded. False for a malformed escape.
bool DecodeTargetPath(std::string_view target, std::string* path);

}  // namespace sc

#endif  // SC_COMMANDS_REQUEST_GUARD_H_
