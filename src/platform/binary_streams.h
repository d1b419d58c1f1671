// Standard input and output as raw bytes: no line-end translation, which
// would break length-framed protocols (the language server's).
#ifndef SC_PLATFORM_BINARY_STREAMS_H_
#define SC_PLATFORM_BINARY_STREAMS_H_

namespace sc {

// Switches standard input and output to binary mode where the platform has
// a text mode (Windows); nothing elsewhere.
void UseBinaryStandardStreams();

}  // namespace sc

#endif  // SC_PLATFORM_BINARY_STREAMS_H_
