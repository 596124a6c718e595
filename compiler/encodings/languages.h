// The languages that translators write sources in, the Charset each is
// written in, and how a language is found by the name a translator types or
// gives a file (langPolski.txt): what lets the compiler tell a Polish source
// whose Charset line says 0 that its letters will not show right.

#ifndef PARLAVOX_COMPILER_LANGUAGES_H_
#define PARLAVOX_COMPILER_LANGUAGES_H_

#include <span>
#include <string>
#include <string_view>

#include "compiler/encodings/charsets.h"

namespace parlavox {

struct Language {
  // As the Charset table names it: "Polish", "Chinese, simplified".
  std::string_view english;
  // The code a PO file's "Language:" header gives it: ISO 639-1, with the
  // country where the script differs by it ("pl", "zh_CN").
  std::string_view iso;
  // In the language itself, UTF-8: "Polski", "Русский".
  std::string_view own;
  // Further names, separated by '|', may be empty: "Farsi".
  std::string_view aliases;
  // The Charset it is written in: 238.
  unsigned charset;
  // Another Charset that writes it as well (Korean in Johab, 130; Serbian in
  // the Latin script, 238), -1 for none.
  int alsoCharset;
  // UTF-8: the letters of its alphabet beyond ASCII, both cases where the
  // script has case, each of which has a place in the code page of
  // `charset`. Empty for English.
  std::string_view letters;
};

// The known languages, in the Charset table's order.
std::span<const Language> knownLanguages();

// The language called `name` (UTF-8, as typed in the window or taken from a
// file name langNAME.txt) by any of its names, compared as foldedName
// folds them; nullptr for any other name, and for bytes that are not UTF-8.
const Language* languageNamed(std::string_view name);

// `name` as languageNamed compares names: lower case, accents dropped,
// spaces, '-' and '_' dropped; empty for bytes that are not UTF-8.
std::string foldedName(std::string_view name);

// Whether the application shows the letters of `language` right when its
// texts are the bytes of the language's own code page and the source's
// Charset is `charset` (nullptr for a Charset value that names none): every
// letter written in the code page of `language.charset` reads back as itself
// in the code page of `charset`. Always true for the language's own
// Charsets, false for one without a code page (1, 2, 255).
bool charsetShowsLanguage(const Charset* charset, const Language& language);

// The languages Charset `charsetValue` stands for, as the Charset table's
// third column names them ("Central European" for 238, "Japanese" for 128);
// empty for 1, 2, 255 and values that name no character set.
std::string_view charsetLanguages(unsigned charsetValue);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_LANGUAGES_H_
