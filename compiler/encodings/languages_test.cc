#include "compiler/encodings/languages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/encodings/code_pages.h"
#include "compiler/encodings/name_folding_table.h"

namespace parlavox {
namespace {

// A row of the Charset table in README.md, as a translator reads it.
struct Row {
  unsigned charset = 0;
  std::string group;               // what charsetLanguages gives
  std::vector<std::string> names;  // the languages the row names
};

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The languages after the colon, split on ", " where the next piece starts
// a name ("Chinese, simplified" is one), with or without a code page note.
std::vector<std::string> namesOf(const std::string& list,
                                 bool withNotes = false) {
  static const char* const kNotes[] = {" (Shift-JIS)", " (GBK)", " (Big5)",
                                       " (Johab)"};
  std::vector<std::string> names;
  std::stringstream pieces(list);
  for (std::string piece; std::getline(pieces, piece, ',');) {
    piece = trimmed(piece);
    if (!names.empty() && piece[0] >= 'a' && piece[0] <= 'z') {
      names.back() += ", " + piece;
    } else {
      names.push_back(piece);
    }
  }
  for (std::string& name : names) {
    for (const std::string_view note : kNotes) {
      if (!withNotes && name.ends_with(note)) {
        name.resize(name.size() - note.size());
      }
    }
  }
  return names;
}

std::vector<Row> readmeRows() {
  std::ifstream readme(PARLAVOX_SOURCE_DIR "/README.md", std::ios::binary);
  EXPECT_TRUE(readme) << PARLAVOX_SOURCE_DIR "/README.md";
  std::vector<Row> rows;
  std::set<std::string> groups;
  for (std::string line; std::getline(readme, line);) {
    if (line.size() < 3 || line[0] != '|' || line[2] < '0' || line[2] > '9') {
      continue;
    }
    std::vector<std::string> cells;
    std::stringstream split(line.substr(1));
    for (std::string cell; std::getline(split, cell, '|');) {
      cells.push_back(trimmed(cell));
    }
    EXPECT_EQ(cells.size(), 3u) << line;
    if (cells.size() != 3) continue;
    Row row;
    row.charset = static_cast<unsigned>(std::stoul(cells[0]));
    const std::string& third = cells[2];
    const auto colon = third.find(':');
    // The Western European languages once more, as a Mac writes them: they
    // are Windows-1252's.
    const bool namesNone = row.charset == 77;
    if (!namesNone) {
      row.names =
          namesOf(colon == std::string::npos ? third : third.substr(colon + 2));
    }
    if (colon != std::string::npos) {
      row.group = third.substr(0, colon);
    } else if (namesNone) {
      row.group = third;
    } else {
      // The first language; its code page note stays where without it the
      // row would name another row's languages: "Korean (Johab)".
      row.group = groups.contains(row.names[0]) ? namesOf(third, true)[0]
                                                : row.names[0];
    }
    groups.insert(row.group);
    rows.push_back(row);
  }
  return rows;
}

const Language* englishNamed(std::string_view english) {
  for (const Language& language : knownLanguages()) {
    if (language.english == english) return &language;
  }
  return nullptr;
}

std::vector<std::string> lettersOf(std::string_view letters) {
  std::vector<std::string> split;
  for (char c : letters) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) split.emplace_back();
    split.back() += c;
  }
  return split;
}

TEST(LanguageTable, NamesEveryLanguageOfTheReadmeCharsetTableInItsOrder) {
  const std::vector<Row> rows = readmeRows();
  ASSERT_EQ(rows.size(), 16u);
  std::vector<std::string_view> inOrder;
  for (const Row& row : rows) {
    EXPECT_EQ(charsetLanguages(row.charset), row.group) << row.charset;
    for (const std::string& name : row.names) {
      const Language* language = englishNamed(name);
      ASSERT_NE(language, nullptr) << name;
      EXPECT_TRUE(language->charset == row.charset ||
                  language->alsoCharset == static_cast<int>(row.charset))
          << name << " under " << row.charset;
      if (std::find(inOrder.begin(), inOrder.end(), name) == inOrder.end()) {
        inOrder.push_back(language->english);
      }
    }
  }
  std::vector<std::string_view> known;
  for (const Language& language : knownLanguages()) {
    known.push_back(language.english);
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const Row& r) {
      return r.charset == language.charset;
    });
    ASSERT_NE(row, rows.end()) << language.english;
    EXPECT_NE(std::find(row->names.begin(), row->names.end(), language.english),
              row->names.end())
        << language.english << " under " << language.charset;
  }
  EXPECT_EQ(known, inOrder);
  for (unsigned value = 0; value < 300; ++value) {
    const bool listed =
        std::any_of(rows.begin(), rows.end(),
                    [&](const Row& r) { return r.charset == value; });
    EXPECT_EQ(charsetLanguages(value).empty(), !listed) << value;
  }
}

TEST(LanguageTable, EveryLetterHasAPlaceInItsCharsetAndReadsBackAsItself) {
  for (const Language& language : knownLanguages()) {
    const CodePage* page = codePageOfCharset(language.charset);
    ASSERT_NE(page, nullptr) << language.english;
    std::set<std::string> seen;
    for (const std::string& letter : lettersOf(language.letters)) {
      EXPECT_GE(static_cast<unsigned char>(letter[0]), 0x80) << letter;
      EXPECT_TRUE(seen.insert(letter).second) << language.english << letter;
      std::string bytes;
      ASSERT_TRUE(encodeFromUtf8(*page, letter, &bytes).ok)
          << language.english << ": " << letter;
      EXPECT_EQ(decodeToUtf8(*page, bytes), letter) << language.english;
    }
    EXPECT_EQ(language.letters.empty(), language.english == "English");
    // Not UTF-8 folds to nothing.
    EXPECT_EQ(foldedName(language.letters).empty(), language.letters.empty())
        << language.english;
    EXPECT_FALSE(foldedName(language.own).empty()) << language.english;
  }
}

std::string asciiCased(std::string_view name, bool upper) {
  std::string cased(name);
  for (char& c : cased) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return cased;
}

TEST(LanguageNamed, FindsALanguageByAnyNameWhateverItsCaseAndAccents) {
  const std::pair<const char*, const char*> kNamed[] = {
      {"polski", "Polish"},
      {"POLSKI", "Polish"},
      {"Espanol", "Spanish"},
      {"español", "Spanish"},
      {"Español", "Spanish"},
      {"Espan\xCC\x83ol", "Spanish"},  // "n" and a combining tilde
      {"Tieng Viet", "Vietnamese"},
      {"TiếngViệt", "Vietnamese"},
      {"tieng-viet", "Vietnamese"},
      {"TIENG_VIET", "Vietnamese"},
      {"русский", "Russian"},
      {"ΕΛΛΗΝΙΚΆ", "Greek"},
      {"Cestina", "Czech"},
      {"Slovenian", "Slovene"},
      {"slovenscina", "Slovene"},
      {"slovencina", "Slovak"},
      {"Farsi", "Persian"},
      {"Bokmal", "Norwegian"},
      {"Azerbaijani", "Azerbaijani (Latin)"},
      {"azerbaycan dili", "Azerbaijani (Latin)"},
      {"Chinese", "Chinese, simplified"},
      {"中文", "Chinese, simplified"},
      {"islenska", "Icelandic"}};
  for (const auto& [name, english] : kNamed) {
    const Language* found = languageNamed(name);
    ASSERT_NE(found, nullptr) << name;
    EXPECT_EQ(found->english, english) << name;
  }
  for (const Language& language : knownLanguages()) {
    for (const bool upper : {false, true}) {
      EXPECT_EQ(languageNamed(asciiCased(language.english, upper)), &language)
          << language.english;
      EXPECT_EQ(languageNamed(asciiCased(language.own, upper)), &language)
          << language.own;
    }
    std::stringstream aliases{std::string(language.aliases)};
    for (std::string alias; std::getline(aliases, alias, '|');) {
      EXPECT_EQ(languageNamed(alias), &language) << alias;
    }
  }
}

TEST(LanguageNamed, FindsNothingForOtherNamesAndForBytesThatAreNotUtf8) {
  for (const char* name :
       {"", " -_", "Klingon", "Polsk", "Polskii", "langPolski", "Lang Polski",
        "Polski.txt", "Chinese, simpl", "Español\xFF", "Espa\xF1ol", "Espa\xC3",
        "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    EXPECT_EQ(languageNamed(name), nullptr) << name;
  }
}

TEST(LanguageNamed, FindsOwnNamesBeyondAsciiInUpperAndLowerCase) {
  const char* const kCased[][3] = {
      {"Français", "FRANÇAIS", "français"},
      {"Español", "ESPAÑOL", "español"},
      {"Português", "PORTUGUÊS", "português"},
      {"Íslenska", "ÍSLENSKA", "íslenska"},
      {"Čeština", "ČEŠTINA", "čeština"},
      {"Slovenčina", "SLOVENČINA", "slovenčina"},
      {"Slovenščina", "SLOVENŠČINA", "slovenščina"},
      {"Română", "ROMÂNĂ", "română"},
      {"Русский", "РУССКИЙ", "русский"},
      {"Українська", "УКРАЇНСЬКА", "українська"},
      {"Беларуская", "БЕЛАРУСКАЯ", "беларуская"},
      {"Български", "БЪЛГАРСКИ", "български"},
      {"Српски", "СРПСКИ", "српски"},
      {"Македонски", "МАКЕДОНСКИ", "македонски"},
      {"Ελληνικά", "ΕΛΛΗΝΙΚΆ", "ελληνικά"},
      {"Türkçe", "TÜRKÇE", "türkçe"},
      {"Azərbaycan dili", "AZƏRBAYCAN DİLİ", "azərbaycan dili"},
      {"Latviešu", "LATVIEŠU", "latviešu"},
      {"Lietuvių", "LIETUVIŲ", "lietuvių"},
      {"Tiếng Việt", "TIẾNG VIỆT", "tiếng việt"}};
  for (const auto& [own, upper, lower] : kCased) {
    for (const char* name : {upper, lower}) {
      const Language* found = languageNamed(name);
      ASSERT_NE(found, nullptr) << name;
      EXPECT_EQ(found->own, own);
    }
  }
}

TEST(FoldedName, LowersAndDropsAccentsSpacesDashesAndUnderscores) {
  EXPECT_EQ(foldedName("Tiếng Việt"), "tiengviet");
  EXPECT_EQ(foldedName("ΕΛΛΗΝΙΚΆ"), "ελληνικα");
  EXPECT_EQ(foldedName("Ёлка-Й_й"), "елкаии");
  EXPECT_EQ(foldedName("ŁÓDŹ"), "łodz");  // "Ł" has no accent to drop
  EXPECT_EQ(foldedName("Azərbaycan İ"), "azərbaycani");
  EXPECT_EQ(foldedName("ẞ Æ Ø"), "ßæø");
  EXPECT_EQ(foldedName("ÀɎỹ"), "aɏy");  // the first and last of the blocks
  EXPECT_EQ(foldedName("日本語 ไทย"), "日本語ไทย");
  EXPECT_EQ(foldedName("Espa\xF1ol"), "");
  EXPECT_EQ(foldedName("Espa\xC3"), "");
}

TEST(FoldedName, TableIsSortedForItsSearch) {
  EXPECT_TRUE(std::is_sorted(kNameFoldings.begin(), kNameFoldings.end(),
                             [](const NameFolding& a, const NameFolding& b) {
                               return a.letter <= b.letter;
                             }));
}

TEST(CharsetShowsLanguage, WhereEveryLetterReadsTheSameInTheCharsetsCodePage) {
  const auto shows = [](unsigned charset, std::string_view english) {
    const Language* language = englishNamed(english);
    EXPECT_NE(language, nullptr) << english;
    return language != nullptr &&
           charsetShowsLanguage(findCharset(charset), *language);
  };
  EXPECT_TRUE(shows(238, "German"));  // ä ö ü ß: the same bytes
  EXPECT_TRUE(shows(238, "Polish"));
  EXPECT_FALSE(shows(0, "Polish"));
  EXPECT_TRUE(shows(0, "Albanian"));
  EXPECT_FALSE(shows(238, "French"));  // œ
  EXPECT_FALSE(shows(0, "Russian"));
  EXPECT_TRUE(shows(204, "English"));
  EXPECT_FALSE(shows(77, "German"));  // ä is 0x8A on a Mac
  EXPECT_TRUE(shows(186, "Finnish"));
  EXPECT_FALSE(shows(0, "Estonian"));  // š
  EXPECT_TRUE(shows(128, "Japanese"));
  EXPECT_FALSE(shows(134, "Japanese"));
  EXPECT_TRUE(shows(129, "Korean"));
  EXPECT_TRUE(shows(130, "Korean"));
  EXPECT_FALSE(shows(130, "Chinese, traditional"));
  EXPECT_TRUE(shows(238, "Serbian"));  // in the Latin script
  EXPECT_FALSE(shows(0, "Vietnamese"));
}

TEST(CharsetShowsLanguage, NeverWithoutACodePage) {
  for (const Language& language : knownLanguages()) {
    for (const unsigned charset : {1u, 2u, 255u}) {
      EXPECT_FALSE(charsetShowsLanguage(findCharset(charset), language))
          << language.english << " under " << charset;
    }
    EXPECT_FALSE(charsetShowsLanguage(nullptr, language)) << language.english;
  }
}

}  // namespace
}  // namespace parlavox
