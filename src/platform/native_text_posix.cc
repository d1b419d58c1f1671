#include "platform/native_text.h"

namespace sc {

bool NativeTextIsCp1252() { return false; }

}  // namespace sc
