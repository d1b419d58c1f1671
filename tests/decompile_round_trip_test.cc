// The round trip over every input the project keeps: each pair of text files
// in the compile fuzz corpus that compiles without an error code, and the
// longest route with every kind of record along it, compiled, decompiled and
// compiled again, must give the same bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "decompiler/round_trip.h"
#include "maximum_route.h"
#include "test_support.h"

namespace sc::testing {
namespace {

TEST(DecompileRoundTrip, EveryCorpusInputThatCompiles) {
  const std::filesystem::path corpus =
      std::filesystem::path(SC_SOURCE_DIR) / "fuzz" / "corpus" / "compile_fuzz";
  int inputs = 0, compiled = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::string bytes = ReadFileOrDie(entry.path().string());
    ++inputs;
    const TextPair texts = SplitTextPair(bytes);
    // As the compile harness runs them: half with the route plan.
    RunState state;
    state.line_name = "Fuzz";
    state.train_number = "1";
    state.compile_flag = static_cast<int32_t>(bytes.size() % 2);
    for (int32_t flag : {state.compile_flag, 1 - state.compile_flag}) {
      state.compile_flag = flag;
      const std::optional<CompiledBytes> files = CompileToBytes(texts.line, texts.train, state);
      if (!files) continue;
      ++compiled;
      EXPECT_EQ(CheckRoundTrip(*files), "") << entry.path() << " with compile flag " << flag;
    }
  }
  std::cout << "round trip: " << compiled << " compiles without an error code from " << inputs
            << " corpus inputs (each with and without the route plan)\n";
  EXPECT_GT(compiled, 0);
}

TEST(DecompileRoundTrip, MaximumRoute) {
  RunState state;
  state.line_name = "Linea";
  state.train_number = "1";
  ErrorCode code = kErrNone;
  const std::optional<CompiledBytes> files =
      CompileToBytes(MaximumRouteLine(), MaximumRouteTrain(), state, &code);
  ASSERT_TRUE(files) << "error code " << code;
  ASSERT_TRUE(files->plan);
  EXPECT_EQ(files->grid.size(), 15u * 20141);  // the longest route's grid
  EXPECT_EQ(CheckRoundTrip(*files), "");
}

}  // namespace
}  // namespace sc::testing
