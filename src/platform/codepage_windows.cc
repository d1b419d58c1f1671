#include "platform/codepage_windows.h"

#include "platform/windows_api.h"

namespace sc {

constexpr UINT kCodePage1252 = 1252;

std::wstring Cp1252ToWide(std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  int units = ::MultiByteToWideChar(kCodePage1252, 0, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(kCodePage1252, 0, bytes.data(), size, text.data(), units);
  return text;
}

bool WideToCp1252(std::wstring_view text, std::string* bytes) {
  bytes->clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  BOOL lossy = FALSE;
  int count = ::WideCharToMultiByte(kCodePage1252, WC_NO_BEST_FIT_CHARS, text.data(), size,
                                    nullptr, 0, nullptr, &lossy);
  if (count <= 0 || lossy) return false;
  bytes->resize(static_cast<size_t>(count));
  ::WideCharToMultiByte(kCodePage1252, WC_NO_BEST_FIT_CHARS, text.data(), size, bytes->data(),
                        count, nullptr, &lossy);
  return !lossy;
}

}  // namespace sc
