// Fuzzes the field reader: any bytes, read as a mix of text and number fields
// chosen by the input itself, must end in values or a ReadFailure.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compiler/field_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  sc::FieldReader reader(bytes, "fuzz");
  try {
    for (size_t i = 0; !reader.AtEnd() && i < size + 2; ++i) {
      switch (i % 4) {
        case 0: reader.ReadText(); break;
        case 1: reader.ReadLong(); break;
        case 2: reader.ReadInteger(); break;
        case 3: reader.ReadByte(); break;
      }
    }
  } catch (const sc::ReadFailure&) {
  }
  return 0;
}
