// Fuzzes the decoders of the compiled files and the dump output built on
// them: any bytes, read as each of the three kinds, in text and in JSON.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "commands/dump_command.h"
#include "platform/mem_env.h"

namespace {

// Swallows everything written to it.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sc::MemEnv env;
  env.files["f"] = std::string(reinterpret_cast<const char*>(data), size);
  NullBuffer buffer;
  std::ostream sink(&buffer);
  for (const char* kind : {"plan", "stations", "grid"}) {
    for (bool json : {false, true}) sc::RunDumpCommand(env, "f", json, kind, sink, sink);
  }
  return 0;
}
