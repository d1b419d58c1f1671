#include "platform/binary_streams.h"

namespace sc {

// POSIX streams carry bytes as they are.
void UseBinaryStandardStreams() {}

}  // namespace sc
