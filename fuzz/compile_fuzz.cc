// Fuzzes the whole compile from a pair of text files. The input is the line
// description, then the separator "\n@@@\n", then the train and service file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/compile.h"
#include "compiler/compiled_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kSeparator = "\n@@@\n";
  size_t split = bytes.find(kSeparator);
  sc::CompileInput input;
  input.line_file_name = "line";
  input.train_file_name = "train";
  if (split == std::string_view::npos) {
    input.line_text = std::string(bytes);
    input.train_text = std::string();
  } else {
    input.line_text = std::string(bytes.substr(0, split));
    input.train_text = std::string(bytes.substr(split + kSeparator.size()));
  }
  sc::RunState state;
  state.line_name = "Fuzz";
  state.train_number = "1";
  state.compile_flag = size % 2;  // half the runs build the route plan
  sc::Compilation compilation;
  // Every diagnostic collected, so that the warnings' code runs on the input
  // too.
  sc::DiagnosticSink sink;
  sc::CompileOutcome outcome = sc::CompileScenario(input, state, compilation, &sink);
  if (sc::HasCompiledOutput(outcome, compilation)) {
    // Encoding must work on whatever the readers left.
    sc::EncodeStationFile(compilation.stations);
    sc::EncodeGridFile(*compilation.grid);
  }
  return 0;
}
