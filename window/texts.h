// The window's fixed texts: captions, instructions and messages.

#ifndef PARLAVOX_WINDOW_TEXTS_H_
#define PARLAVOX_WINDOW_TEXTS_H_

namespace parlavox::texts {

inline constexpr char kTitle[] = "Parlavox Localization Tool";

inline constexpr char kCompile[] = "Compile";
inline constexpr char kTranslationCenter[] = "Go to Translation Center";
inline constexpr char kDownload[] = "...";
inline constexpr char kCheckFirst[] =
    "Check if somebody isn't translating for your language already!";

inline constexpr char kDesignLanguage[] = "Language";
inline constexpr char kLang[] = "Lang";
inline constexpr char kTxt[] = ".txt";
inline constexpr char kDesignOutput[] = "Output :";

inline constexpr char kStep1[] = "1. Download localization file";
inline constexpr char kStep2Number[] = "2.";
inline constexpr char kStep2[] =
    "Save it into this directory under desired language name "
    "(LangLanguage.txt where Language is the name of your language)";
inline constexpr char kStep3Number[] = "3.";
inline constexpr char kStep3[] =
    "Translate the file into your language. Translate only text between the "
    "| and // marks. Leave parameters (%1 or %2) alone, they will be replaced "
    "by Parlavox by appropriate strings";
inline constexpr char kStep4[] = "4. Save it";
inline constexpr char kStep5[] = "5. Compile it";
inline constexpr char kStep6[] =
    "6. Reload your language in Parlavox to see the changes. Keep editing, "
    "saving, compiling and reloading until you done.";

// "Output: Lang" + name + ".lng".
inline constexpr char kOutputBefore[] = "Output: Lang";
inline constexpr char kOutputAfter[] = ".lng";

// "Successfully compiled lang.txt into Lang" + name + ".lng " CR LF ...
inline constexpr char kSuccessBefore[] =
    "Successfully compiled lang.txt into Lang";
inline constexpr char kSuccessAfter[] =
    ".lng \r\nPlease post your file to our Translation center";

// The findings box: "LangX.lng" + kFindingsWritten, CR LF, the count, its
// noun and kFindingsIn + the source; then, where it was checked against a
// reference, kFindingsReference + its name + kFindingsReferenceEnd; and
// kFindingsEnd.
inline constexpr char kOK[] = "OK";
inline constexpr char kFindingsWritten[] =
    " was written, but Parlavox may show it wrong.";
inline constexpr char kOneFinding[] = " finding";
inline constexpr char kFindings[] = " findings";
inline constexpr char kFindingsIn[] = " in ";
inline constexpr char kFindingsReference[] = " (the reference: ";
inline constexpr char kFindingsReferenceEnd[] = ")";
inline constexpr char kFindingsEnd[] = ":";

inline constexpr char kTranslationCenterPath[] = "/parlavox/transcenter.php";
inline constexpr char kReferenceSourcePath[] = "/parlavox/LangEnglish.txt";

}  // namespace parlavox::texts

#endif  // PARLAVOX_WINDOW_TEXTS_H_
