#include "compiler/decompile_choices.h"

#include <cstring>

namespace sc {
namespace {

constexpr struct {
  const char* record;
  const char* choice;
} kChoices[] = {
    {"route length", "always written, from the station file."},
    {"kilometre reference 1",
     "all three always written, in the order uno, due, tre, with the values and order that the "
     "ordering of the three references turns into the stored ones (the stored order when it "
     "does); 100 is taken off the second value where the third is 1."},
    {"kilometre reference 2", "see kilometre reference 1."},
    {"kilometre reference 3", "see kilometre reference 1."},
    {"background 1", "always written."},
    {"background 2", "always written."},
    {"background 3", "always written."},
    {"signal repetition",
     "always written; `9 codici` when 9 codes are stored, otherwise `4 codici`."},
    {"gradient",
     "one record where the gradient profile changes, at the start of that cell; none at 0 for "
     "a gradient of 0; the value is the stored code less 100."},
    {"curve",
     "one record for each run of metres of the route plan turned alike, from the last straight "
     "metre; two curves of one class that meet come back as one. None without a route plan."},
    {"mountain",
     "one record for each run of cells of one mountain type, from the start of its first cell "
     "to the end of its last; a tunnel (type + 10) when a mountain marker is left in the run; a "
     "type above 10 without tunnel is written below 0; a range three cells after the previous "
     "one starts 24 m into its cell, so it is not joined to it. Where ranges overlapped or joined "
     "and that does not give the grid back: a four-cell tunnel range of type 0 for each marker, "
     "then a plain range for each run, each range that would join the one before preceded by "
     "`montagna, -1000000, -1000000, 0`, which covers no cell."},
    {"maximum-speed board",
     "at the start of its cell; each speed pair split with the two speeds as near each other "
     "as the packing allows; stripes as tens and units. Also where a station's end marker "
     "stands beside values it did not write (an object it overwrote), with a first pair of 0."},
    {"sign",
     "at the start of its cell, in the order of their slots (position order); a text "
     "with a comma, or blanks at its ends, in double quotes."},
    {"braked mass", "always written."},
    {"cars", "always written."},
    {"speed",
     "one record where the speed profile changes, at the start of that cell, the first "
     "at 0; the speed is the code times 5."},
    {"adhesion",
     "one record where the adhesion profile changes, at the start of that cell, the "
     "first at 0."},
    {"clock", "always written, with commas."},
    {"sand", "always written."},
    {"signal",
     "at the start of its cell; each value as tens and units; the aspect (sx × 3 + dx) from the "
     "units of the fourth value, or as the countdown marks say, split into sx and dx (sx = 2 when "
     "a timing is stored); a timing of 1 to 100 is written 256 higher; tempo 0 when sx is not 2."},
    {"slowdown",
     "at the start of its start cell (1501 m for a warning at the start cell 31); the length to "
     "the start of the end cell; approach boards (1) when they are stored."},
    {"abbattimento",
     "only for marker cells that the finalisation does not place by itself; a value below 1 "
     "written 65536 higher."},
    {"station",
     "in slot order; the length from the stored area; hours, minutes and seconds from the "
     "stored time; a name with a comma, or blanks at its ends, in double quotes."},
};

}  // namespace

const char* DecompileChoice(const char* record_name) {
  for (const auto& c : kChoices) {
    if (std::strcmp(c.record, record_name) == 0) return c.choice;
  }
  return "";
}

}  // namespace sc
