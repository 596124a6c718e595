// Form1 as a native Windows window: the controls of the shared description
// made from the system's own button, edit and static classes, and the
// handlers that give the window its behaviour.

#ifndef PARLAVOX_WINDOW_WIN32_FORM1_H_
#define PARLAVOX_WINDOW_WIN32_FORM1_H_

#include <windows.h>

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "window/form.h"

namespace parlavox {

class Form1 {
 public:
  // A window that compiles the language sources of `folder`.
  explicit Form1(std::filesystem::path folder);
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Creates the window, runs Form_Load and shows it in `showMode`; false
  // when the system would not make the window.
  bool open(HINSTANCE instance, int showMode);

  // Takes the window's part of `message` before it is dispatched: Tab and
  // the other dialog keys, and Return on a focused push button, which clicks
  // it. True when the message was used up.
  bool preTranslate(MSG* message);

  void Form_Load();
  void txtOut_Change();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();

  // Opens `webpage` in the system's default browser; a failure shows nothing.
  void browse(const std::string& webpage);

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message,
                                          WPARAM wParam, LPARAM lParam);
  // True when the window has dealt with `message` itself.
  bool handle(UINT message, WPARAM wParam, LPARAM lParam);

  void createControls();
  void createFonts(int dpi);
  void deleteFonts();
  // Places the controls and sizes the window for `dpi` dots per inch.
  void layOut(int dpi);
  void onCommand(WORD id, WORD code);
  void drawLightRedButton(const DRAWITEMSTRUCT& item);
  HWND control(form::ControlId id) const { return controls_[id]; }

  std::filesystem::path folder_;
  HWND window_ = nullptr;
  std::array<HWND, form::kControlCount> controls_{};
  std::array<HFONT, form::kFonts.size()> fonts_{};
  HBRUSH lightRed_ = nullptr;
  HWND lastFocus_ = nullptr;
};

}  // namespace parlavox

#endif  // PARLAVOX_WINDOW_WIN32_FORM1_H_
