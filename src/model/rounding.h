// Rounding as the whole system does it: to the nearest integer, halves to
// the even neighbour (2.5 gives 2, 3.5 gives 4), under the default rounding
// mode. Never std::round.
#ifndef SC_MODEL_ROUNDING_H_
#define SC_MODEL_ROUNDING_H_

#include <climits>
#include <cmath>
#include <cstdint>

namespace sc {

inline double RoundHalfEven(double x) { return std::nearbyint(x); }

// Rounded to a 64-bit integer; callers keep x well inside that range.
inline int64_t RoundToInt(double x) { return static_cast<int64_t>(std::nearbyint(x)); }

// Whether a value fits a signed 32-bit Long; wider results are overflows.
inline bool FitsLong(int64_t x) { return x >= INT32_MIN && x <= INT32_MAX; }

// The low 16 bits as a signed 16-bit value (two's complement wrap).
inline int16_t Wrap16(int64_t x) { return static_cast<int16_t>(static_cast<uint16_t>(x & 0xFFFF)); }

// The low 8 bits as an unsigned byte.
inline uint8_t Low8(int64_t x) { return static_cast<uint8_t>(x & 0xFF); }

}  // namespace sc

#endif  // SC_MODEL_ROUNDING_H_
