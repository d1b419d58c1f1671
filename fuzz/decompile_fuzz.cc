// Fuzzes the round trip: a pair of text files (as for compile_fuzz: the line
// description, "\n@@@\n", the train and service file) that compiles without
// an error code is compiled, decompiled and compiled again; the second
// compiled files must equal the first byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "decompiler/round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const sc::TextPair texts =
      sc::SplitTextPair(std::string_view(reinterpret_cast<const char*>(data), size));
  sc::RunState state;
  state.line_name = "Fuzz";
  state.train_number = "1";
  state.compile_flag = size % 2;  // half the runs build the route plan
  const std::optional<sc::CompiledBytes> compiled =
      sc::CompileToBytes(texts.line, texts.train, state);
  if (!compiled) return 0;
  const std::string failure = sc::CheckRoundTrip(*compiled);
  if (!failure.empty()) {
    std::fprintf(stderr, "round trip failed:\n%s", failure.c_str());
    std::abort();
  }
  return 0;
}
