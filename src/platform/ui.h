// What a run shows the person who started it: the waiting indicator and a
// message to acknowledge. The terminal form writes to standard error; the
// Windows desktop form (window_ui.h) opens a window and a message box.
#ifndef SC_PLATFORM_UI_H_
#define SC_PLATFORM_UI_H_

#include <string>

namespace sc {

class Ui {
 public:
  virtual ~Ui() = default;
  // The waiting indicator, shown once while the run works.
  virtual void ShowWaiting() = 0;
  // A message the person must acknowledge (" Errore n. 1250").
  virtual void ShowMessage(const std::string& text) = 0;
};

// The terminal form: "Attendere" and messages on standard error.
class TerminalUi : public Ui {
 public:
  void ShowWaiting() override;
  void ShowMessage(const std::string& text) override;
};

}  // namespace sc

#endif  // SC_PLATFORM_UI_H_
