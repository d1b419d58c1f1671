#include "compiler/competition_codes.h"

namespace sc {
namespace {

constexpr std::string_view kFiller = "aabbccddeeffgghhiillmmnnoo";

uint8_t ByteValue(char c) { return static_cast<uint8_t>(c); }

}  // namespace

char LowerCase1252(char c) {
  const uint8_t b = ByteValue(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 0x20);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 0x20);
  switch (b) {
    case 0x8A: return static_cast<char>(0x9A);  // S caron
    case 0x8C: return static_cast<char>(0x9C);  // OE ligature
    case 0x8E: return static_cast<char>(0x9E);  // Z caron
    case 0x9F: return static_cast<char>(0xFF);  // Y diaeresis
    default: return c;
  }
}

std::string CompetitionCodeText(const StationTable& stations) {
  std::string text = stations.slots[kSlotRepetition].name + stations.slots[kSlotBackgrounds].name;
  for (char& c : text) c = LowerCase1252(c);
  text.append(kFiller);
  text.resize(kCompetitionCodeLength);
  return text;
}

int32_t CodiceGaraSt(const StationTable& stations) {
  const std::string text = CompetitionCodeText(stations);
  int32_t sum = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    sum += ByteValue(text[i]) * static_cast<int32_t>(i + 1);
  }
  return sum;
}

int16_t CodiceGaraOg(const StationTable& stations) {
  int32_t sum = 0;
  for (char c : CompetitionCodeText(stations)) sum += ByteValue(c);
  return static_cast<int16_t>(sum);
}

}  // namespace sc
