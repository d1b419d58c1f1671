// Finding a station by the name an author types: case and accents are
// ignored ("zurich hb" finds "Z\xC3\xBCrich HB"), and a name that is not there gets
// the nearest names the source does hold, for the error message.
#ifndef SC_IMPORT_STATION_NAMES_H_
#define SC_IMPORT_STATION_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace sc {

// The plain Latin letters of a letter with diacritics, keeping its case
// ("\xC4\x8D" c-caron gives "c", "\xC3\x86" gives "AE", "\xC3\x9F" gives
// "ss"); empty for any other code point. Covers Latin-1, Latin Extended-A
// and the Romanian comma letters.
std::string_view BaseLetters(uint32_t code_point);

// A name folded for comparing: UTF-8 decoded (a byte that is not UTF-8 is
// read as Windows-1252), letters with diacritics reduced to their base
// letters, combining marks dropped, Latin, Greek and Cyrillic capitals
// lower-cased, and each run of spaces and punctuation made one space, with
// none at either end. Returned as UTF-8.
std::string FoldName(std::string_view name);

// What a wanted name matched among candidate names.
struct NameMatch {
  // The indexes of the candidates with the name found, in candidate order
  // (several when the source has more than one object of that name).
  std::vector<size_t> found;
  // When the wanted name is only part of several different names: those
  // names (one each), and `found` is empty.
  std::vector<std::string> ambiguous;
};

// Matches `wanted` against `candidates` by folded name: every candidate
// whose folded name equals the wanted one; failing that, the candidates
// whose folded name holds the wanted one as whole words, if they all share
// one name.
NameMatch MatchName(std::string_view wanted, const std::vector<std::string>& candidates);

// Up to `count` different candidate names (empty ones left out), nearest to
// `wanted` first (edit distance between folded names, then alphabetical).
std::vector<std::string> NearestNames(std::string_view wanted,
                                      const std::vector<std::string>& candidates, size_t count = 3);

// MatchName as a result: Ok with the indexes in `found`, or Invalid with
//   no station named "X"; nearest: "A", "B", "C"
//   station name "X" is ambiguous: "A", "B"
// The caller puts the file name in front.
Status FindStation(std::string_view wanted, const std::vector<std::string>& candidates,
                   std::vector<size_t>* found);

}  // namespace sc

#endif  // SC_IMPORT_STATION_NAMES_H_
