// What `decompile` writes for each record where several texts give the same
// bytes: the one place that states the choice, shown in the format
// reference beside the record.
#ifndef SC_COMPILER_DECOMPILE_CHOICES_H_
#define SC_COMPILER_DECOMPILE_CHOICES_H_

namespace sc {

// The choice for the record named `record_name` (RecordFormat::name); ""
// for a record without one.
const char* DecompileChoice(const char* record_name);

}  // namespace sc

#endif  // SC_COMPILER_DECOMPILE_CHOICES_H_
