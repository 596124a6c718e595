// The controls of the window description made from the system's own button,
// edit and static classes: the one place where a form::Control becomes a
// Windows control, for Form1 and the findings box alike.

#ifndef PARLAVOX_WINDOW_WIN32_CONTROLS_H_
#define PARLAVOX_WINDOW_WIN32_CONTROLS_H_

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window/form.h"

namespace parlavox {

// The program's own UTF-8 as the system's UTF-16, for a window text that
// ends at its first NUL: a NUL that a message quotes from the source shows
// as the symbol for NUL, so nothing after it is lost.
std::wstring textFromBytes(std::string_view bytes);

// A window text as the program's UTF-8.
std::string utf8(std::wstring_view text);

// The text of `window`.
std::wstring windowText(HWND window);

// The dots per inch of the screen, at which the system places a new window.
int screenDpi();

// `font` at `dpi` dots per inch.
HFONT createFont(const form::Font& font, int dpi);

// The children of `parent` for `controls`, in the same order, with the
// identifiers `firstId` + index. They are ordered by tab place, which the
// system's Tab and its drawing order both follow; every push button and
// text box still lies above the labels it overlaps.
std::vector<HWND> createControls(HWND parent,
                                 std::span<const form::Control> controls,
                                 WORD firstId);

// Places `windows`, the controls of `controls`, at `dpi` dots per inch in the
// fonts `fonts` (one for each of form::kFonts).
void layOutControls(std::span<const HWND> windows,
                    std::span<const form::Control> controls,
                    std::span<const HFONT> fonts, int dpi);

// Sizes `window` so that its client area is `client` at `dpi`: the frame's
// own size is the system's business, measured and added.
void fitClientArea(HWND window, form::Twips client, int dpi);

}  // namespace parlavox

#endif  // PARLAVOX_WINDOW_WIN32_CONTROLS_H_
