// Fuzzes `preview --from-compiled`: the three compiled files are cut out of
// the input, decoded and drawn, and the picture is written into memory. The
// input starts with two little-endian 32-bit sizes, the route plan's and the
// station file's; the grid file is the rest. A plan size of 0xFFFFFFFF means
// no route plan. A picture that is written must end with "</svg>\n" and hold
// no control byte but line ends and tabs (the only ones XML text keeps);
// stray buffer contents would show as such.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "commands/preview_command.h"
#include "platform/mem_env.h"

namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

uint32_t TakeSize(std::string_view* in) {
  uint32_t v = 0;
  for (int i = 0; i < 4 && !in->empty(); ++i) {
    v |= static_cast<uint32_t>(static_cast<unsigned char>(in->front())) << (8 * i);
    in->remove_prefix(1);
  }
  return v;
}

std::string_view Take(std::string_view* in, uint32_t size) {
  std::string_view part = in->substr(0, size);
  in->remove_prefix(part.size());
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  const uint32_t plan_size = TakeSize(&in);
  const uint32_t station_size = TakeSize(&in);
  const bool has_plan = plan_size != 0xFFFFFFFFu;
  sc::MemEnv env;
  if (has_plan) env.files["a_linea.dat"] = std::string(Take(&in, plan_size));
  env.files["a_1.sim"] = std::string(Take(&in, station_size));
  env.files["a_1.dat"] = std::string(in);

  sc::PreviewOptions options;
  options.compiled = {has_plan ? "a_linea.dat" : "-", "a_1.sim", "a_1.dat"};
  options.output = "p.svg";
  NullBuffer buffer;
  std::ostream sink(&buffer);
  int status = sc::RunPreviewCommand(env, options, sink, sink);
  if (status == 0) {
    const std::string& svg = env.files["p.svg"];
    if (svg.size() < 7 || svg.compare(svg.size() - 7, 7, "</svg>\n") != 0) std::abort();
    for (char c : svg) {
      if (c != '\n' && c != '\t' && static_cast<unsigned char>(c) < 0x20) std::abort();
    }
  }
  return 0;
}
