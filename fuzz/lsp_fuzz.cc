// Fuzzes the language server's input side: any bytes, cut into pieces of a
// size the input chooses, go through the framer, and every message body
// through the server, with the clock moving so that checks run. Nothing may
// crash, hang or leak; bad input ends in errors and log lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/json_rpc.h"
#include "commands/lsp_server.h"
#include "platform/mem_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte sets the piece size, so a message may arrive in parts.
  const size_t piece = 1 + data[0] % 64;
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  sc::MemEnv env;
  sc::LspServer server(env);
  // The limit lies above the largest input fuzz.sh lets libFuzzer make, so
  // a message of any size the fuzzer can make reaches the dispatch.
  sc::MessageFramer framer(2 << 20);
  std::vector<std::string> out, log;
  double now = 0;
  // Every session starts initialized, so the input reaches the handlers.
  server.Handle(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})", now, &out, &log);
  for (size_t at = 0; at < bytes.size() && !server.exit_requested(); at += piece) {
    framer.Feed(bytes.substr(at, piece));
    std::string body, error;
    for (;;) {
      sc::MessageFramer::Next next = framer.Take(&body, &error);
      if (next == sc::MessageFramer::Next::kNeedMore) break;
      if (next == sc::MessageFramer::Next::kMessage) server.Handle(body, now, &out, &log);
    }
    now += 0.1;
    server.Tick(now, &out);
    out.clear();
    log.clear();
  }
  return 0;
}
