#include "window/form.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace parlavox::form {
namespace {

TEST(FormTest, ControlsInCreationOrderUnderTheirNames) {
  std::vector<std::string> names;
  names.reserve(kControls.size());
  for (const Control& control : kControls) names.push_back(objectName(control));
  EXPECT_EQ(names,
            (std::vector<std::string>{
                "Command2", "Command4", "Command3", "txtOut", "Command1",
                "Label11", "Label6_1", "Label1", "Label9", "Label8", "Label7",
                "Label6_0", "Label5", "Label4", "Label3", "lblOut", "Label2"}));
}

TEST(FormTest, TabOrderVisitsFocusableControlsFromCompile) {
  std::vector<std::string> focusable;
  std::vector<int> places;
  for (ControlId id : tabOrder()) {
    places.push_back(kControls[id].tab);
    if (kControls[id].kind != Kind::kLabel) {
      focusable.emplace_back(kControls[id].name);
    }
  }
  EXPECT_EQ(focusable,
            (std::vector<std::string>{"Command1", "txtOut", "Command3",
                                      "Command4", "Command2"}));
  for (int place = 0; place < static_cast<int>(kControlCount); ++place) {
    EXPECT_EQ(places[place], place);
  }
}

TEST(FormTest, StartStateOfTheControls) {
  EXPECT_FALSE(kControls[kCommand2].visible);
  EXPECT_EQ(kControls[kLabel1].caption, "");
  EXPECT_EQ(kControls[kTxtOut].caption, "Language");
  EXPECT_EQ(kControls[kCommand4].caption,
            "Check if somebody isn't translating for your language already!");
  ASSERT_TRUE(kControls[kCommand4].background.has_value());
  EXPECT_EQ(kControls[kCommand4].background->green, 192);
  EXPECT_FALSE(kControls[kLblOut].wraps);
  for (const Control& control : kControls) {
    if (&control == &kControls[kCommand2]) continue;
    EXPECT_TRUE(control.visible) << control.name;
  }
}

TEST(FormTest, FontsOfTheirOwnAreBoldInCharset238) {
  EXPECT_EQ(kFonts[static_cast<int>(kWindowFont)].face, "MS Sans Serif");
  EXPECT_EQ(kFonts[static_cast<int>(kWindowFont)].weight, 400);
  std::vector<std::string> own;
  for (const Control& control : kControls) {
    if (control.font == kWindowFont) continue;
    const Font& font = kFonts[static_cast<int>(control.font)];
    own.push_back(objectName(control) + " " + std::string(font.face));
    EXPECT_EQ(font.centipoints, 825);
    EXPECT_EQ(font.weight, 700);
    EXPECT_EQ(font.charset, 238);
  }
  EXPECT_EQ(own,
            (std::vector<std::string>{"Label1 Tahoma", "Label6_0 MS Sans Serif",
                                      "lblOut MS Sans Serif"}));
}

TEST(FormTest, OverlapsThatTheLayoutReliesOn) {
  const Twips lang = kControls[kLabel2].at;
  const Twips name = kControls[kTxtOut].at;
  const Twips txt = kControls[kLabel11].at;
  const Twips compile = kControls[kCommand1].at;
  const Twips center = kControls[kCommand2].at;
  EXPECT_EQ(lang.left + lang.width - name.left, 60);
  EXPECT_EQ(txt.left + txt.width - compile.left, 390);
  EXPECT_EQ(kClientArea.height - (center.top + center.height), 75);
}

TEST(FormTest, PixelsAtStandardDpi) {
  const Pixels client = pixelsFromTwips(kClientArea, kStandardDpi);
  EXPECT_EQ(client.width, 283);
  EXPECT_EQ(client.height, 387);
  const Pixels compile = pixelsFromTwips(kControls[kCommand1].at, 96);
  EXPECT_EQ(compile.left, 188);
  EXPECT_EQ(compile.top, 216);
  EXPECT_EQ(compile.width, 84);
  EXPECT_EQ(compile.height, 42);
  // Every value is a whole number of pixels at 96 dpi: nothing is rounded.
  for (const Control& control : kControls) {
    for (int twips : {control.at.left, control.at.top, control.at.width,
                      control.at.height}) {
      EXPECT_EQ(twips % 15, 0) << control.name;
    }
  }
}

TEST(FormTest, PixelsRoundHalvesAwayFromZero) {
  EXPECT_EQ(pixelsFromTwips(4245, 144), 425);  // 424.5
  EXPECT_EQ(pixelsFromTwips(-4245, 144), -425);
  EXPECT_EQ(pixelsFromTwips(4245, 192), 566);
  EXPECT_EQ(pixelsFromTwips(5805, 120), 484);  // 483.75
  EXPECT_EQ(pixelsFromTwips(7, 96), 0);        // 0.47
  EXPECT_EQ(pixelsFromTwips(8, 96), 1);        // 0.53
  EXPECT_EQ(pixelsFromTwips(195, 0), 0);
  EXPECT_EQ(pixelsFromTwips(2'000'000'000, 1440 * 2), -1);
  const Pixels scaled = pixelsFromTwips(Twips{435, 5430, 3330, 300}, 144);
  EXPECT_EQ(scaled.left, 44);  // 43.5
  EXPECT_EQ(scaled.top, 543);
  EXPECT_EQ(scaled.width, 333);
  EXPECT_EQ(scaled.height, 30);
}

TEST(FormTest, FontPixelsAtSeveralDpi) {
  const Font& font = kFonts[0];
  EXPECT_EQ(fontPixels(font, 96), 11);
  EXPECT_EQ(fontPixels(font, 120), 14);  // 13.75
  EXPECT_EQ(fontPixels(font, 144), 17);  // 16.5
  EXPECT_EQ(fontPixels(font, 192), 22);
}

TEST(FormTest, TextsBuiltAtRunTime) {
  EXPECT_EQ(captionWithVersion(kCaption), "Parlavox Localization Tool v0.2");
  EXPECT_EQ(outputText(std::string_view("Deutsch")), "Output: LangDeutsch.lng");
  EXPECT_EQ(outputText(std::string_view()), "Output: Lang.lng");
  EXPECT_EQ(outputText(std::wstring_view(L"\u0420\u0443\u0441")),
            L"Output: Lang\u0420\u0443\u0441.lng");
  EXPECT_EQ(successText(std::string_view("Deutsch")),
            "Successfully compiled lang.txt into LangDeutsch.lng \r\n"
            "Please post your file to our Translation center");
  EXPECT_EQ(successText(std::wstring_view(L"\u0420\u0443\u0441")),
            L"Successfully compiled lang.txt into Lang\u0420\u0443\u0441.lng "
            L"\r\nPlease post your file to our Translation center");
}

TEST(FormTest, FindingsBoxOpensOnOkAndListsThemBelowTheCount) {
  std::vector<std::string> order;
  for (std::size_t id : tabOrderOf(kFindingsControls)) {
    order.emplace_back(kFindingsControls[id].name);
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"cmdOK", "txtFindings", "lblFindings"}));
  EXPECT_EQ(kFindingsControls[kCmdOK].caption, "OK");
  EXPECT_EQ(kFindingsControls[kTxtFindings].kind, Kind::kTextView);
  const Twips label = kFindingsControls[kLblFindings].at;
  const Twips list = kFindingsControls[kTxtFindings].at;
  const Twips ok = kFindingsControls[kCmdOK].at;
  EXPECT_LT(label.top + label.height, list.top);
  EXPECT_LT(list.top + list.height, ok.top);
  // OK sits in the lower right corner, as in a message box.
  EXPECT_EQ(list.left + list.width, ok.left + ok.width);
}

TEST(FormTest, EveryControlLiesWithinItsClientAreaInWholePixels) {
  auto check = [](std::span<const Control> controls, Twips client) {
    for (const Control& control : controls) {
      EXPECT_GE(control.at.left, 0) << control.name;
      EXPECT_GE(control.at.top, 0) << control.name;
      EXPECT_LE(control.at.left + control.at.width, client.width)
          << control.name;
      EXPECT_LE(control.at.top + control.at.height, client.height)
          << control.name;
      for (int twips : {control.at.left, control.at.top, control.at.width,
                        control.at.height}) {
        EXPECT_EQ(twips % 15, 0) << control.name;
      }
    }
  };
  check(kControls, kClientArea);
  check(kFindingsControls, kFindingsClientArea);
}

TEST(FormTest, FindingsSummaryCountsAndNamesTheFiles) {
  CheckedCompile checked;
  checked.source = "langPolski.txt";
  checked.reference = "langEnglish.txt";
  checked.warnings = {{4, "w"}, {0, "w"}, {9, "w"}};
  EXPECT_EQ(findingsSummary("Polski", checked),
            "LangPolski.lng was written, but Parlavox may show it wrong.\r\n"
            "3 findings in langPolski.txt (the reference: langEnglish.txt):");
  checked.source = "LANGPOLSKI.TXT";
  checked.reference.clear();
  checked.warnings.resize(1);
  EXPECT_EQ(findingsSummary("Polski", checked),
            "LangPolski.lng was written, but Parlavox may show it wrong.\r\n"
            "1 finding in LANGPOLSKI.TXT:");
}

TEST(FormTest, FindingsListedEachInFullWithItsLine) {
  CheckedCompile checked;
  checked.source = "langPolski.txt";
  checked.warnings = {
      {4, "line number 2 uses no placeholder where the reference uses %1"},
      {0, "line numbers 3 to 11 of the reference are missing"}};
  EXPECT_EQ(findingsList(checked),
            "langPolski.txt:4: line number 2 uses no placeholder where the "
            "reference uses %1\r\n\r\n"
            "langPolski.txt: line numbers 3 to 11 of the reference are "
            "missing");
  checked.warnings.clear();
  EXPECT_EQ(findingsList(checked), "");
}

TEST(FormTest, PagesTheButtonsOpen) {
  const std::string host = "http://" PARLAVOX_WEB_HOST;
  EXPECT_EQ(pageOpenedBy(kCommand2), host + "/parlavox/transcenter.php");
  EXPECT_EQ(pageOpenedBy(kCommand4), host + "/parlavox/transcenter.php");
  EXPECT_EQ(pageOpenedBy(kCommand3), host + "/parlavox/LangEnglish.txt");
  EXPECT_EQ(pageOpenedBy(kCommand1), std::nullopt);
  EXPECT_EQ(pageOpenedBy(kLabel3), std::nullopt);
}

}  // namespace
}  // namespace parlavox::form
