#include "import/station_names.h"

#include <algorithm>
#include <set>
#include <utility>

#include "platform/edit_distance.h"
#include "platform/text_1252.h"

namespace sc {
namespace {

// Base letters of U+00C0..U+00FF, one per code point; '-' marks the two
// signs (multiplication and division) and '*' the letters spelt with two.
constexpr std::string_view kLatin1 =
    "AAAAAA*CEEEEIIIIDNOOOOO-OUUUUY**"
    "aaaaaa*ceeeeiiiidnooooo-ouuuuy*y";
// Base letters of U+0100..U+017F; '*' marks the ligatures IJ and OE.
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi**JjKkkLlLlLlLlLlNnNnNnnNn"
    "OoOoOo**RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

std::string_view TwoLetters(uint32_t c) {
  switch (c) {
    case 0xC6: return "AE";
    case 0xE6: return "ae";
    case 0xDE: return "TH";
    case 0xFE: return "th";
    case 0xDF: return "ss";
    case 0x132: return "IJ";
    case 0x133: return "ij";
    case 0x152: return "OE";
    case 0x153: return "oe";
    default: return "";
  }
}

// The next code point of `text` from `*i`, moving `*i` past it. A byte that
// does not start a well-formed UTF-8 sequence is one Windows-1252 character.
uint32_t NextCodePoint(std::string_view text, size_t* i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(*i);
  size_t length = lead < 0x80                   ? 1
                  : lead >= 0xC2 && lead < 0xE0 ? 2
                  : lead >= 0xE0 && lead < 0xF0 ? 3
                  : lead >= 0xF0 && lead < 0xF5 ? 4
                                                : 0;
  uint32_t c = length == 1   ? lead
               : length == 2 ? lead & 0x1F
               : length == 3 ? lead & 0x0F
                             : lead & 0x07;
  for (size_t k = 1; k < length; ++k) {
    if (*i + k >= text.size() || (byte(*i + k) & 0xC0) != 0x80) {
      length = 0;
      break;
    }
    c = (c << 6) | (byte(*i + k) & 0x3F);
  }
  const bool overlong =
      (length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF));
  if (length == 0 || overlong || (c >= 0xD800 && c < 0xE000)) {
    *i += 1;
    return CodePointFrom1252(lead);
  }
  *i += length;
  return c;
}

uint32_t LowerCase(uint32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

bool IsSeparator(uint32_t c) {
  return c < 0x80
             ? !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
             : (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x206F);
}

bool IsCombiningMark(uint32_t c) { return c >= 0x300 && c <= 0x36F; }

// True when `part` is `whole` or stands in it as whole words.
bool HoldsWords(std::string_view whole, std::string_view part) {
  if (part.empty()) return false;
  for (size_t at = whole.find(part); at != std::string_view::npos; at = whole.find(part, at + 1)) {
    const bool starts = at == 0 || whole[at - 1] == ' ';
    const bool ends = at + part.size() == whole.size() || whole[at + part.size()] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

std::string QuotedList(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names) out += (out.empty() ? "\"" : ", \"") + name + "\"";
  return out;
}

}  // namespace

std::string_view BaseLetters(uint32_t code_point) {
  const std::string_view two = TwoLetters(code_point);
  if (!two.empty()) return two;
  std::string_view one;
  if (code_point >= 0xC0 && code_point <= 0xFF) {
    one = kLatin1.substr(code_point - 0xC0, 1);
  } else if (code_point >= 0x100 && code_point <= 0x17F) {
    one = kLatinExtendedA.substr(code_point - 0x100, 1);
  } else if (code_point >= 0x218 && code_point <= 0x21B) {
    one = std::string_view("SsTt").substr(code_point - 0x218, 1);
  }
  return one == "-" ? std::string_view() : one;
}

std::string FoldName(std::string_view name) {
  std::string out;
  bool gap = false;
  for (size_t i = 0; i < name.size();) {
    const uint32_t c = NextCodePoint(name, &i);
    if (IsCombiningMark(c)) continue;
    if (IsSeparator(c)) {
      gap = !out.empty();
      continue;
    }
    if (gap) out += ' ';
    gap = false;
    const std::string_view base = BaseLetters(c);
    if (base.empty()) {
      AppendUtf8(LowerCase(c), &out);
    } else {
      for (char letter : base) out += static_cast<char>(LowerCase(static_cast<uint8_t>(letter)));
    }
  }
  return out;
}

NameMatch MatchName(std::string_view wanted, const std::vector<std::string>& candidates) {
  const std::string folded = FoldName(wanted);
  NameMatch match;
  std::vector<std::string> folded_candidates;
  for (size_t i = 0; i < candidates.size(); ++i) {
    folded_candidates.push_back(FoldName(candidates[i]));
    if (!folded.empty() && folded_candidates.back() == folded) match.found.push_back(i);
  }
  if (!match.found.empty()) return match;
  std::set<std::string> holding;
  for (size_t i = 0; i < candidates.size(); ++i) {
    if (HoldsWords(folded_candidates[i], folded)) {
      match.found.push_back(i);
      holding.insert(folded_candidates[i]);
    }
  }
  if (holding.size() > 1) {
    std::set<std::string> listed;
    for (size_t i : match.found) {
      if (listed.insert(folded_candidates[i]).second) match.ambiguous.push_back(candidates[i]);
    }
    match.found.clear();
  }
  return match;
}

std::vector<std::string> NearestNames(std::string_view wanted,
                                      const std::vector<std::string>& candidates, size_t count) {
  const std::string folded = FoldName(wanted);
  std::vector<std::pair<size_t, std::string>> ranked;
  std::set<std::string> seen;
  for (const std::string& candidate : candidates) {
    if (candidate.empty() || !seen.insert(candidate).second) continue;
    const std::string other = FoldName(candidate);
    ranked.emplace_back(EditDistance(folded, other, std::max(folded.size(), other.size())),
                        candidate);
  }
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::string> nearest;
  for (size_t i = 0; i < ranked.size() && i < count; ++i) nearest.push_back(ranked[i].second);
  return nearest;
}

Status FindStation(std::string_view wanted, const std::vector<std::string>& candidates,
                   std::vector<size_t>* found) {
  NameMatch match = MatchName(wanted, candidates);
  const std::string quoted = "\"" + std::string(wanted) + "\"";
  if (!match.ambiguous.empty()) {
    return Status::Invalid("station name " + quoted +
                           " is ambiguous: " + QuotedList(match.ambiguous));
  }
  if (match.found.empty()) {
    const std::vector<std::string> nearest = NearestNames(wanted, candidates);
    return Status::Invalid("no station named " + quoted +
                           (nearest.empty() ? "" : "; nearest: " + QuotedList(nearest)));
  }
  *found = std::move(match.found);
  return Status::Ok();
}

}  // namespace sc
