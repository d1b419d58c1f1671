// The desktop form of the run's Ui on Windows: a small waiting window and a
// message box, for a run started without a console (from the desktop).
#ifndef SC_PLATFORM_WINDOW_UI_H_
#define SC_PLATFORM_WINDOW_UI_H_

#include <string>

#include "platform/ui.h"

namespace sc {

class WindowUi : public Ui {
 public:
  WindowUi() = default;
  // Closes the waiting window if it was shown.
  ~WindowUi() override;
  WindowUi(const WindowUi&) = delete;
  WindowUi& operator=(const WindowUi&) = delete;

  // Shows the window titled "Form1" (client area 4200 x 2688 twips) with the
  // label "Attendere" in bold 24 pt "MS Sans Serif" at left 960, top 960,
  // 2652 x 792 twips; modeless, at the system's default place, painted at
  // once. A console that the system opened for this program alone is closed
  // first, so that only the window shows.
  void ShowWaiting() override;

  // A modal box with `text` (Windows-1252), an OK button only, no icon and
  // the title "scenario-compiler"; returns when the person presses OK.
  void ShowMessage(const std::string& text) override;

 private:
  void* window_ = nullptr;  // HWND
  void* font_ = nullptr;    // HFONT
};

}  // namespace sc

#endif  // SC_PLATFORM_WINDOW_UI_H_
