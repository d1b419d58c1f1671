#include "platform/windows/window_ui.h"

#include "platform/windows/windows_api.h"

#include "platform/text_1252.h"

namespace sc {
namespace {

constexpr const wchar_t* kClassName = L"ScenarioCompilerForm1";
constexpr const wchar_t* kApplicationTitle = L"scenario-compiler";

// Layout of the waiting window, in twips (1440 to the inch).
constexpr int kTwipsPerInch = 1440;
constexpr int kClientWidth = 4200;
constexpr int kClientHeight = 2688;
constexpr int kLabelLeft = 960;
constexpr int kLabelTop = 960;
constexpr int kLabelWidth = 2652;
constexpr int kLabelHeight = 792;
constexpr int kLabelPoints = 24;

struct ScreenDpi {
  int x = 96;
  int y = 96;
};

ScreenDpi QueryScreenDpi() {
  ScreenDpi dpi;
  HDC screen = ::GetDC(nullptr);
  if (screen) {
    dpi.x = ::GetDeviceCaps(screen, LOGPIXELSX);
    dpi.y = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
  }
  return dpi;
}

int Pixels(int twips, int dpi) { return ::MulDiv(twips, dpi, kTwipsPerInch); }

bool RegisterFormClass(HINSTANCE instance) {
  WNDCLASSEXW form_class = {};
  form_class.cbSize = sizeof form_class;
  form_class.lpfnWndProc = ::DefWindowProcW;
  form_class.hInstance = instance;
  form_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  form_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form_class.lpszClassName = kClassName;
  return ::RegisterClassExW(&form_class) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The top-level window, sized so that its client area has the form's size.
HWND CreateForm(HINSTANCE instance, const ScreenDpi& dpi) {
  const DWORD style = WS_OVERLAPPEDWINDOW;
  RECT frame = {0, 0, Pixels(kClientWidth, dpi.x), Pixels(kClientHeight, dpi.y)};
  ::AdjustWindowRectEx(&frame, style, FALSE, 0);
  return ::CreateWindowExW(0, kClassName, L"Form1", style, CW_USEDEFAULT, CW_USEDEFAULT,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           instance, nullptr);
}

HFONT CreateLabelFont(const ScreenDpi& dpi) {
  return ::CreateFontW(-::MulDiv(kLabelPoints, dpi.y, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

void CreateLabel(HWND form, HINSTANCE instance, HFONT font, const ScreenDpi& dpi) {
  HWND label = ::CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT,
                                 Pixels(kLabelLeft, dpi.x), Pixels(kLabelTop, dpi.y),
                                 Pixels(kLabelWidth, dpi.x), Pixels(kLabelHeight, dpi.y), form,
                                 nullptr, instance, nullptr);
  if (label && font) ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// Handles what the window system has queued, so the window appears and
// paints before the run goes on without a message loop.
void DrainMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace

WindowUi::~WindowUi() {
  if (window_) ::DestroyWindow(static_cast<HWND>(window_));
  if (font_) ::DeleteObject(static_cast<HFONT>(font_));
}

void WindowUi::ShowWaiting() {
  if (window_) return;
  ::FreeConsole();
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (!RegisterFormClass(instance)) return;
  const ScreenDpi dpi = QueryScreenDpi();
  HWND form = CreateForm(instance, dpi);
  if (!form) return;
  window_ = form;
  HFONT font = CreateLabelFont(dpi);
  font_ = font;
  CreateLabel(form, instance, font, dpi);
  ::ShowWindow(form, SW_SHOW);
  ::RedrawWindow(form, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  DrainMessages();
}

void WindowUi::ShowMessage(const std::string& text) {
  ::MessageBoxW(nullptr, Cp1252ToWide(text).c_str(), kApplicationTitle, MB_OK);
}

}  // namespace sc
