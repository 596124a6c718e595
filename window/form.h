// Form1, the tool's one window, as data that no toolkit owns: its frame,
// fonts and seventeen controls in creation order, and the texts it builds at
// run time; and the findings box that a compile with findings opens over it.
// Every front end builds its windows from this description, so that a
// caption or a position is changed in one place for all of them.

#ifndef PARLAVOX_WINDOW_FORM_H_
#define PARLAVOX_WINDOW_FORM_H_

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/checked_compile.h"
#include "window/texts.h"

namespace parlavox::form {

// A rectangle in twips, 1440 to the inch, from the top-left corner of the
// window's client area.
struct Twips {
  int left;
  int top;
  int width;
  int height;
};

// A rectangle in device pixels.
struct Pixels {
  int left;
  int top;
  int width;
  int height;
};

struct Font {
  std::string_view face;
  int centipoints;  // 825 is 8.25 points
  int weight;       // 400 regular, 700 bold
  int charset;      // the 8-bit character set a font is picked by
};

enum class FontId { kWindow, kBold, kTahomaBold };

inline constexpr std::array<Font, 3> kFonts = {{
    {"MS Sans Serif", 825, 400, 0},
    {"MS Sans Serif", 825, 700, 238},
    {"Tahoma", 825, 700, 238},
}};

struct Colour {
  int red;
  int green;
  int blue;
};

// kTextView: a read-only text box of several lines, sunken, with a vertical
// scroll bar; its text wraps at word boundaries, a CR LF starts a new line,
// and it takes the focus (to scroll and to select the text for copying).
enum class Kind { kPushButton, kTextBox, kLabel, kTextView };

struct Control {
  std::string_view name;
  int index;  // the index within a control array; -1 for a single control
  Kind kind;
  Twips at;
  int tab;  // place in the tab order; labels hold one but are skipped
  FontId font;
  std::string_view caption;  // a text box's text
  bool visible;              // at start
  bool wraps;                // a label's caption breaks at word boundaries
  std::optional<Colour> background;
};

// The controls, named by their creation order.
enum ControlId : std::size_t {
  kCommand2,
  kCommand4,
  kCommand3,
  kTxtOut,
  kCommand1,
  kLabel11,
  kLabel6_1,
  kLabel1,
  kLabel9,
  kLabel8,
  kLabel7,
  kLabel6_0,
  kLabel5,
  kLabel4,
  kLabel3,
  kLblOut,
  kLabel2,
  kControlCount
};

inline constexpr Colour kLightRed{255, 192, 192};

// In creation order, which decides what shows where controls overlap: a
// push button or the text box lies over any label it overlaps.
inline constexpr std::array<Control, kControlCount> kControls = {{
    {"Command2",
     -1,
     Kind::kPushButton,
     {435, 5430, 3330, 300},
     16,
     FontId::kWindow,
     texts::kTranslationCenter,
     false,
     true,
     std::nullopt},
    {"Command4",
     -1,
     Kind::kPushButton,
     {480, 105, 3210, 495},
     12,
     FontId::kWindow,
     texts::kCheckFirst,
     true,
     true,
     kLightRed},
    {"Command3",
     -1,
     Kind::kPushButton,
     {2850, 765, 1110, 255},
     5,
     FontId::kWindow,
     texts::kDownload,
     true,
     true,
     std::nullopt},
    {"txtOut",
     -1,
     Kind::kTextBox,
     {1380, 3255, 1035, 285},
     1,
     FontId::kWindow,
     texts::kDesignLanguage,
     true,
     false,
     std::nullopt},
    {"Command1",
     -1,
     Kind::kPushButton,
     {2820, 3240, 1260, 630},
     0,
     FontId::kWindow,
     texts::kCompile,
     true,
     true,
     std::nullopt},
    {"Label11",
     -1,
     Kind::kLabel,
     {2490, 3300, 720, 240},
     15,
     FontId::kWindow,
     texts::kTxt,
     true,
     true,
     std::nullopt},
    {"Label6",
     1,
     Kind::kLabel,
     {180, 1110, 150, 195},
     14,
     FontId::kWindow,
     texts::kStep2Number,
     true,
     true,
     std::nullopt},
    {"Label1",
     -1,
     Kind::kLabel,
     {165, 4650, 3945, 705},
     13,
     FontId::kTahomaBold,
     "",
     true,
     true,
     std::nullopt},
    {"Label9",
     -1,
     Kind::kLabel,
     {225, 3945, 3765, 645},
     11,
     FontId::kWindow,
     texts::kStep6,
     true,
     true,
     std::nullopt},
    {"Label8",
     -1,
     Kind::kLabel,
     {225, 3000, 1935, 225},
     10,
     FontId::kWindow,
     texts::kStep5,
     true,
     true,
     std::nullopt},
    {"Label7",
     -1,
     Kind::kLabel,
     {225, 2730, 2250, 195},
     9,
     FontId::kWindow,
     texts::kStep4,
     true,
     true,
     std::nullopt},
    {"Label6",
     0,
     Kind::kLabel,
     {195, 1845, 150, 195},
     8,
     FontId::kBold,
     texts::kStep3Number,
     true,
     true,
     std::nullopt},
    {"Label5",
     -1,
     Kind::kLabel,
     {420, 1845, 3615, 885},
     7,
     FontId::kWindow,
     texts::kStep3,
     true,
     true,
     std::nullopt},
    {"Label4",
     -1,
     Kind::kLabel,
     {420, 1110, 3780, 630},
     6,
     FontId::kWindow,
     texts::kStep2,
     true,
     true,
     std::nullopt},
    {"Label3",
     -1,
     Kind::kLabel,
     {195, 795, 2535, 225},
     4,
     FontId::kWindow,
     texts::kStep1,
     true,
     true,
     std::nullopt},
    // One line: a long name runs on under "Compile", which hides it, rather
    // than breaking onto a second line that the label's height cuts off.
    {"lblOut",
     -1,
     Kind::kLabel,
     {510, 3615, 3450, 225},
     3,
     FontId::kBold,
     texts::kDesignOutput,
     true,
     false,
     std::nullopt},
    {"Label2",
     -1,
     Kind::kLabel,
     {870, 3300, 570, 255},
     2,
     FontId::kWindow,
     texts::kLang,
     true,
     true,
     std::nullopt},
}};

// The findings box, frmFindings: opened at once, over Form1 and modal, after
// a compile that wrote its file and found what the translator should look
// at. It says how many findings there are, and shows each in full, the
// first on top; OK closes it. Return and Escape press OK wherever the focus
// is. Its title is the program's title, as a message box's is.
enum FindingsControlId : std::size_t {
  kLblFindings,
  kTxtFindings,
  kCmdOK,
  kFindingsControlCount
};

inline constexpr std::array<Control, kFindingsControlCount> kFindingsControls =
    {{
        {"lblFindings",
         -1,
         Kind::kLabel,
         {165, 120, 5070, 900},
         2,
         FontId::kTahomaBold,
         "",
         true,
         true,
         std::nullopt},
        {"txtFindings",
         -1,
         Kind::kTextView,
         {165, 1080, 5070, 1800},
         1,
         FontId::kWindow,
         "",
         true,
         true,
         std::nullopt},
        {"cmdOK",
         -1,
         Kind::kPushButton,
         {4035, 3000, 1200, 375},
         0,
         FontId::kWindow,
         texts::kOK,
         true,
         true,
         std::nullopt},
    }};

// The findings box's client area, which cannot be resized.
inline constexpr Twips kFindingsClientArea{0, 0, 5400, 3495};

// The window's design caption; Form_Load adds the version.
inline constexpr std::string_view kCaption = texts::kTitle;

// The client area, which cannot be resized.
inline constexpr Twips kClientArea{0, 0, 4245, 5805};

// The font of the window and of every control without a font of its own.
inline constexpr FontId kWindowFont = FontId::kWindow;

// The dots per inch at which a twip is a fifteenth of a pixel.
inline constexpr int kStandardDpi = 96;

// The controls in tab order, labels included.
std::array<ControlId, kControlCount> tabOrder();

// The indexes of `controls` in tab order, labels included.
std::vector<std::size_t> tabOrderOf(std::span<const Control> controls);

// A control's name as one word: "Label6_0" for an element of an array.
std::string objectName(const Control& control);

// `caption` followed by " v" and the program's major and minor version.
std::string captionWithVersion(std::string_view caption);

// What lblOut shows for the language name `name`.
std::string outputText(std::string_view name);
std::wstring outputText(std::wstring_view name);

// What Label1 shows after `name` compiled: two lines joined by CR LF.
std::string successText(std::string_view name);
std::wstring successText(std::wstring_view name);

// What the findings box's label says of what `checked`, the compile of
// `name`, found: two lines joined by CR LF, "LangX.lng was written, but
// ..." and the count of findings.
std::string findingsSummary(std::string_view name,
                            const CheckedCompile& checked);

// The findings of `checked` as the box lists them, in order, each
// "langX.txt:3: TEXT" ("langX.txt: TEXT" for one of no line), with an empty
// line between two (CR LF CR LF).
std::string findingsList(const CheckedCompile& checked);

// The web page that the push button `button` opens; nothing for a control
// that opens none.
std::optional<std::string> pageOpenedBy(ControlId button);

// `twips` at `dpi` dots per inch, rounded to the nearest pixel with halves
// away from zero; -1 when the result does not fit an int.
int pixelsFromTwips(int twips, int dpi);

// `at` at `dpi` dots per inch, each edge and extent rounded on its own.
Pixels pixelsFromTwips(Twips at, int dpi);

// The character height in pixels of `font` at `dpi` dots per inch, rounded
// like pixelsFromTwips (a font's LOGFONT height is its negative).
int fontPixels(const Font& font, int dpi);

}  // namespace parlavox::form

#endif  // PARLAVOX_WINDOW_FORM_H_
