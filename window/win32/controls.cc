#include "window/win32/controls.h"

#include <algorithm>

#include "compiler/encodings/utf16.h"

namespace parlavox {

namespace {

std::wstring wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

const wchar_t* className(form::Kind kind) {
  switch (kind) {
    case form::Kind::kPushButton:
      return L"BUTTON";
    case form::Kind::kTextBox:
    case form::Kind::kTextView:
      return L"EDIT";
    case form::Kind::kLabel:
      break;
  }
  return L"STATIC";
}

DWORD controlStyle(const form::Control& control) {
  // Where controls overlap, the one higher in the order is drawn whole.
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (control.visible ? WS_VISIBLE : 0);
  switch (control.kind) {
    case form::Kind::kPushButton:
      return style | WS_TABSTOP | BS_MULTILINE | BS_CENTER | BS_VCENTER |
             (control.background ? BS_OWNERDRAW : BS_PUSHBUTTON);
    case form::Kind::kTextBox:
      return style | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
    case form::Kind::kTextView:
      // Without ES_AUTOHSCROLL a multi-line edit wraps at word boundaries.
      return style | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
             ES_LEFT;
    case form::Kind::kLabel:
      break;
  }
  return style | SS_NOPREFIX | (control.wraps ? SS_LEFT : SS_LEFTNOWORDWRAP);
}

}  // namespace

std::wstring textFromBytes(std::string_view bytes) {
  std::wstring text;
  if (const auto utf16 = utf16FromUtf8(bytes)) {
    text = wide(*utf16);
  } else {
    // Only an unchecked name can get here; it is in the system's code page.
    const int length = MultiByteToWideChar(
        CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.assign(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                        text.data(), length);
  }
  std::replace(text.begin(), text.end(), L'\0', L'\u2400');
  return text;
}

std::string utf8(std::wstring_view text) {
  return utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1,
                    L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

int screenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : form::kStandardDpi;
}

HFONT createFont(const form::Font& font, int dpi) {
  LOGFONTW logical{};
  logical.lfHeight = -form::fontPixels(font, dpi);
  logical.lfWeight = font.weight;
  logical.lfCharSet = static_cast<BYTE>(font.charset);
  logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logical.lfQuality = DEFAULT_QUALITY;
  logical.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  const std::wstring face = textFromBytes(font.face);
  face.copy(logical.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&logical);
}

std::vector<HWND> createControls(HWND parent,
                                 std::span<const form::Control> controls,
                                 WORD firstId) {
  const auto instance =
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  std::vector<HWND> windows;
  windows.reserve(controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const form::Control& description = controls[i];
    const std::wstring caption = textFromBytes(description.caption);
    const bool sunken = description.kind == form::Kind::kTextBox ||
                        description.kind == form::Kind::kTextView;
    windows.push_back(CreateWindowExW(
        sunken ? WS_EX_CLIENTEDGE : 0, className(description.kind),
        caption.c_str(), controlStyle(description), 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(firstId + i)), instance,
        nullptr));
  }
  HWND previous = HWND_TOP;
  for (const std::size_t i : form::tabOrderOf(controls)) {
    SetWindowPos(windows[i], previous, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = windows[i];
  }
  return windows;
}

void layOutControls(std::span<const HWND> windows,
                    std::span<const form::Control> controls,
                    std::span<const HFONT> fonts, int dpi) {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const form::Pixels at = form::pixelsFromTwips(controls[i].at, dpi);
    SetWindowPos(windows[i], nullptr, at.left, at.top, at.width, at.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(windows[i], WM_SETFONT,
                 reinterpret_cast<WPARAM>(
                     fonts[static_cast<std::size_t>(controls[i].font)]),
                 TRUE);
  }
}

void fitClientArea(HWND window, form::Twips client, int dpi) {
  const form::Pixels wanted = form::pixelsFromTwips(client, dpi);
  RECT outer;
  RECT inner;
  GetWindowRect(window, &outer);
  GetClientRect(window, &inner);
  SetWindowPos(window, nullptr, 0, 0,
               outer.right - outer.left + wanted.width - inner.right,
               outer.bottom - outer.top + wanted.height - inner.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace parlavox
