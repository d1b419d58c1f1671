// The longest route the compiler takes (1000000 m), with curves all along it
// as the benchmarks draw them and every other record kind spread over it;
// it compiles without an error code. Shared by the round-trip test and the
// decompile benchmark.
#ifndef SC_TESTS_MAXIMUM_ROUTE_H_
#define SC_TESTS_MAXIMUM_ROUTE_H_

#include <string>

namespace sc::testing {

std::string MaximumRouteLine();
std::string MaximumRouteTrain();

}  // namespace sc::testing

#endif  // SC_TESTS_MAXIMUM_ROUTE_H_
