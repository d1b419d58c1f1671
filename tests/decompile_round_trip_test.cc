// The round trip over every input the project keeps: each pair of text files
// in the compile fuzz corpus that compiles without an error code, and the
// longest route with every kind of record along it, compiled, decompiled and
// compiled again, must give the same bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "decompiler/round_trip.h"
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

// The longest route (1000000 m) with curves all along it, as the benchmarks
// compile it, and every other record kind spread over it.
std::string MaximumRouteLine() {
  std::string text = "[generale]\r\nlunghezza percorso, 1000000\r\n"
                     "ripetizione segnali 9 codici, 800, 990000\r\n[curve]\r\n";
  for (int32_t start = 800, n = 0; start + 600 < 1000000; start += 1000, ++n) {
    text += std::string(n % 2 == 0 ? "curvad" : "curvas") + std::to_string(1 + n % 6) + ", " +
            std::to_string(start) + ", 600\r\n";
  }
  for (int32_t at = 5000; at < 1000000; at += 5000)
    text += "pendenza, " + std::to_string(at) + ", " + std::to_string(at / 5000 % 40 - 20) + "\r\n";
  for (int32_t at = 10000; at < 1000000; at += 20000) {
    text += "montagna, " + std::to_string(at) + ", " + std::to_string(at + 3000) + ", " +
            std::to_string(at / 20000 % 2 == 0 ? 12 : 4) + "\r\n";
  }
  for (int32_t at = 25150; at < 1000000; at += 50000)
    text += "indicatori_vmax, " + std::to_string(at) + ", 120, 130, 140, 1, 100, 110, 120, 1\r\n";
  for (int32_t at = 30100; at < 1000000; at += 100000)
    text += "cartello_indicatore, " + std::to_string(at) + ", (GALLERIA)(" + std::to_string(at) +
            ")\r\n";
  return text + "[fine]\r\n";
}

std::string MaximumRouteTrain() {
  std::string text = "[generale]\r\nnumero vetture, 12\r\nsabbia, 90\r\norologio, 6, 30, 0\r\n";
  for (int32_t at = 0; at < 1000000; at += 10000)
    text += "velocita, " + std::to_string(at) + ", " + std::to_string(60 + at / 10000 % 10 * 10) +
            "\r\n";
  text += "aderenza, 0, 100\r\naderenza, 500000, 80\r\n";
  for (int32_t at = 40000; at < 1000000; at += 40000) {
    text += "stazione, " + std::to_string(at) + ", 12, 600, 1, 1, 0, 4,1,1, 2,1,1, 0, " +
            std::to_string(at / 40000 % 24) + ", 0, 0, Stazione " + std::to_string(at) + "\r\n";
  }
  for (int32_t at = 3000; at < 1000000; at += 3000) {
    if (at % 40000 > 36000) continue;  // clear of the stations
    text += "segnale, " + std::to_string(at) + ", 2, 4, 1, 0, 0, 1, 3, 1, 0, 0\r\n";
  }
  for (int32_t at = 71500; at < 1000000; at += 100000)
    text += "rallentamento, " + std::to_string(at) + ", 60, 400, 1, 1, 10\r\n";
  return text + "[fine]\r\n";
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
