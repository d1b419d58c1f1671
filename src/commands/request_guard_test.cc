#include "commands/request_guard.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

struct Case {
  const char* method;
  const char* path;
  const char* host;  // nullptr: no Host header
  int status;
  LiveResource resource;
};

TEST(RequestGuardTest, ServesOnlyThePageItsDataAndTheStreamToThisMachine) {
  const LiveResource none = LiveResource::kNone;
  const Case cases[] = {
      {"GET", "/", "127.0.0.1:8123", 200, LiveResource::kPage},
      {"GET", "/index.html", "localhost:8123", 200, LiveResource::kPage},
      {"HEAD", "/", "LocalHost:8123", 200, LiveResource::kPage},
      {"GET", "/data", "127.0.0.1:8123", 200, LiveResource::kData},
      {"GET", "/events", "localhost:8123", 200, LiveResource::kEvents},
      // Another name, another port, a name that only ends like ours, none.
      {"GET", "/", "attacker.example:8123", 403, none},
      {"GET", "/", "127.0.0.1:8124", 403, none},
      {"GET", "/", "127.0.0.1", 403, none},
      {"GET", "/", "evil-localhost:8123", 403, none},
      {"GET", "/", "localhost:8123.example", 403, none},
      // Names that only begin like ours.
      {"GET", "/data", "localhost.example.test:8123", 403, none},
      {"GET", "/data", "localhostx:8123", 403, none},
      {"GET", "/data", "127.0.0.1.example.test:8123", 403, none},
      {"GET", "/", "", 403, none},
      {"GET", "/", nullptr, 400, none},
      // Paths that try to name a file, or are not paths.
      {"GET", "/../etc/passwd", "127.0.0.1:8123", 400, none},
      {"GET", "/data/..", "127.0.0.1:8123", 400, none},
      {"GET", "/..\\secret", "127.0.0.1:8123", 400, none},
      {"GET",
       "/a\x01"
       "b",
       "127.0.0.1:8123", 400, none},
      {"GET", "*", "127.0.0.1:8123", 400, none},
      {"GET", "", "127.0.0.1:8123", 400, none},
      {"GET", "/view.js", "127.0.0.1:8123", 404, none},
      {"GET", "/data/", "127.0.0.1:8123", 404, none},
      {"GET", "//", "127.0.0.1:8123", 404, none},
      {"POST", "/data", "127.0.0.1:8123", 405, none},
      {"DELETE", "/", "127.0.0.1:8123", 405, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.path + " Host " + (c.host ? c.host : "(none)"));
    RequestVerdict v =
        CheckRequest(c.method, c.path, c.host != nullptr, c.host ? c.host : "", 8123);
    EXPECT_EQ(v.status, c.status);
    EXPECT_EQ(v.resource, c.resource);
    EXPECT_EQ(v.reason.empty(), c.status == 200);
  }
}

TEST(RequestGuardTest, DecodesTheTargetsPathWithoutItsQuery) {
  using namespace std::string_literals;
  const struct {
    const char* target;
    bool ok;
    std::string path;
  } cases[] = {
      {"/", true, "/"},
      {"/data?t=123", true, "/data"},
      {"/a%20b", true, "/a b"},
      {"/%2e%2e/%2E%2E/etc", true, "/../../etc"},
      {"/a%00b", true, "/a\0b"s},
      {"/a+b", true, "/a+b"},
      {"/x?y%zz", true, "/x"},
      {"/%", false, ""},
      {"/%4", false, ""},
      {"/%g0", false, ""},
      {"/%0g", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    std::string path;
    EXPECT_EQ(DecodeTargetPath(c.target, &path), c.ok);
    if (c.ok) {
      EXPECT_EQ(path, c.path);
    }
  }
}

}  // namespace
}  // namespace sc
