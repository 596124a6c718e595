#include "compiler/encodings/code_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "compiler/encodings/charsets.h"
#include "compiler/encodings/code_page_tables.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace parlavox {
namespace {

const CodePage& pageOf(unsigned charset) {
  const CodePage* page = codePageOfCharset(charset);
  EXPECT_NE(page, nullptr) << charset;
  static const CodePage kNone{0, "", false};
  return page != nullptr ? *page : kNone;
}

std::string encoded(unsigned charset, std::string_view utf8) {
  std::string out;
  const Encoded result = encodeFromUtf8(pageOf(charset), utf8, &out);
  EXPECT_TRUE(result.ok) << utf8 << ": U+" << std::hex
                         << static_cast<unsigned>(result.unmappable);
  return out;
}

std::string utf8Of(char32_t c) {
  std::string out;
  // Small enough to write out here rather than trust the code under test.
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// The Charset values of single-byte pages, with the table each one uses.
const std::vector<std::pair<unsigned, const HighHalf*>>& singleByteCharsets() {
  static const std::vector<std::pair<unsigned, const HighHalf*>> all = {
      {0, &kWindows1252},   {77, &kMacRoman},     {161, &kWindows1253},
      {162, &kWindows1254}, {163, &kWindows1258}, {177, &kWindows1255},
      {178, &kWindows1256}, {186, &kWindows1257}, {204, &kWindows1251},
      {222, &kWindows874},  {238, &kWindows1250},
  };
  return all;
}

TEST(CodePagesTest, CharsetsNameTheirPages) {
  const std::vector<std::pair<unsigned, unsigned>> expected = {
      {0, 1252},   {77, 10000}, {128, 932},  {129, 949},
      {130, 1361}, {134, 936},  {136, 950},  {161, 1253},
      {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
      {186, 1257}, {204, 1251}, {222, 874},  {238, 1250},
  };
  for (const auto& [charset, number] : expected) {
    const CodePage* page = codePageOfCharset(charset);
    ASSERT_NE(page, nullptr) << charset;
    EXPECT_EQ(page->number, number);
    EXPECT_EQ(page->doubleByte, charset >= 128 && charset <= 136) << charset;
    // The names messages use are the ones the encoding check already uses.
    EXPECT_EQ(page->name, findCharset(charset)->codePage);
  }
  EXPECT_EQ(pageOf(77).name, "Mac Roman");
  for (unsigned unknown : {1u, 2u, 3u, 255u, 1250u}) {
    EXPECT_EQ(codePageOfCharset(unknown), nullptr) << unknown;
  }
}

// A source is compiled as UTF-8 until a byte proves it is not: the texts
// before that byte are ASCII, and must come out as an 8-bit source's do.
TEST(CodePagesTest, AsciiIsTheSameBytesInEveryPage) {
  std::string ascii;
  for (int byte = 1; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
  for (unsigned charset = 0; charset < 256; ++charset) {
    const CodePage* page = codePageOfCharset(charset);
    if (page == nullptr) continue;
    std::string encoded;
    const Encoded result = encodeFromUtf8(*page, ascii, &encoded);
    EXPECT_TRUE(result.ok) << page->name;
    EXPECT_EQ(encoded, ascii) << page->name;
    EXPECT_EQ(decodeToUtf8(*page, ascii), ascii) << page->name;
  }
}

TEST(CodePagesTest, TextsInTheirPages) {
  EXPECT_EQ(encoded(238, "Zażółć gęślą jaźń"),
            "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1");
  EXPECT_EQ(encoded(204, "Сохранить"), "\xD1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC");
  EXPECT_EQ(encoded(0, "Größe € – …"),
            "Gr\xF6\xDF"
            "e \x80 \x96 \x85");
  EXPECT_EQ(encoded(77, "Café ∆"), "Caf\x8E \xC6");
  EXPECT_EQ(encoded(161, "Αρχείο"), "\xC1\xF1\xF7\xE5\xDF\xEF");
  // ASCII passes untouched, control characters and all.
  EXPECT_EQ(encoded(238, std::string("a\0b\t|//\\^\x7F", 10)),
            std::string("a\0b\t|//\\^\x7F", 10));
  EXPECT_EQ(encoded(238, ""), "");
  // Appends to what is there.
  std::string out = "x";
  EXPECT_TRUE(encodeFromUtf8(pageOf(238), "ł", &out).ok);
  EXPECT_EQ(out, "x\xB3");
}

TEST(CodePagesTest, Windows1258WritesToneMarksAsCombiningCharacters) {
  EXPECT_EQ(encoded(163, "ế"), "\xEA\xEC");  // e circumflex, acute
  EXPECT_EQ(encoded(163, "ạ"), "a\xF2");     // dot below
  EXPECT_EQ(encoded(163, "ậ"), "\xE2\xF2");  // the page has a circumflex
  EXPECT_EQ(encoded(163, "Ã"), "A\xDE");     // tilde; 0xC3 is Ă here
  EXPECT_EQ(encoded(163, "ở"), "\xF5\xD2");  // o horn, hook above
  EXPECT_EQ(encoded(163, "Ừ"), "\xDD\xCC");  // U horn, grave
  EXPECT_EQ(encoded(163, "Tiếng Việt"), "Ti\xEA\xECng Vi\xEA\xF2t");
  // Letters the page holds whole stay one byte; marks typed apart pass.
  EXPECT_EQ(encoded(163, "àÁđ"), "\xE0\xC1\xF0");
  EXPECT_EQ(encoded(163, "e\xCC\x81"), "e\xEC");
  // A mark the page does not have is no place, even on a letter it has.
  std::string out;
  const Encoded result = encodeFromUtf8(pageOf(163), "ǎ", &out);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.unmappable, U'\u01CE');
}

TEST(CodePagesTest, UnmappableCharacterIsReportedWhereItStands) {
  struct Case {
    unsigned charset;
    std::string text;
    char32_t character;
    std::size_t offset;
  };
  const std::vector<Case> cases = {
      {0, "Szőlő", U'\u0151', 2},
      {0, "ąő", U'\u0105', 0},
      {238, "Zażółć Ωmega", U'\u03A9', 11},
      {238, "ok \U0001F600", U'\U0001F600', 3},
      {204, "Ъ ф — ĳ", U'\u0133', 10},
      {0, "a\xC2\x81", U'\u0081', 1},  // the C1 control of an undefined byte
      {222, "\xE0\xB8\x81\xEF\xBF\xBD", U'\uFFFD', 3},
      {128, "データ〜", U'\u301C', 9},  // wave dash: only FF5E has a place
      {128, "¥100", U'\u00A5', 0},      // 0x5C is the backslash here
      {128, "‐—", U'\u2014', 3},        // 815C is U+2015
      {128, "한", U'\uD55C', 0},
      {129, "한국\xC2\x80", U'\u0080', 6},
      {136, "中\xEE\x80\x80", U'\uE000', 3},  // private use
      {134, "中ソ€ő", U'\u0151', 9},
  };
  for (const Case& c : cases) {
    std::string out;
    const Encoded result = encodeFromUtf8(pageOf(c.charset), c.text, &out);
    EXPECT_FALSE(result.ok) << c.text;
    EXPECT_EQ(result.unmappable, c.character) << c.text;
    EXPECT_EQ(result.unmappableOffset, c.offset) << c.text;
  }
}

TEST(CodePagesTest, LettersAnywhereInLongTextsAreWrittenAndReported) {
  // ASCII runs of every length before and after the letters, so that they
  // fall in every place of the wide steps ASCII is copied in.
  struct Page {
    unsigned charset;
    std::string letters;  // in UTF-8
    std::string bytes;    // the same in the page
  };
  const std::vector<Page> pages = {
      {238, "\xC5\xBC\xC3\xB3", "\xBF\xF3"},  // "żó"
      {204, "\xD0\xAF", "\xDF"},              // "Я"
      {222, "\xE0\xB8\x81", "\xA1"},          // Thai ko kai
      {128, "\xE3\x83\x87", "\x83\x66"},      // "デ"
  };
  for (const Page& page : pages) {
    for (std::size_t before = 0; before <= 40; ++before) {
      for (std::size_t after : {0, 1, 7, 15, 16, 17, 33}) {
        const std::string head(before, 'a');
        const std::string tail(after, 'b');
        std::string text = head;
        text.append(page.letters).append(tail);
        std::string expected = "kept";
        expected.append(head).append(page.bytes).append(tail);
        std::string out = "kept";
        const Encoded result = encodeFromUtf8(pageOf(page.charset), text, &out);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(out, expected)
            << page.charset << " " << before << "/" << after;
        // An emoji has a place in none of them.
        text.append("\xF0\x9F\x98\x80").append(head);
        const Encoded refused =
            encodeFromUtf8(pageOf(page.charset), text, &out);
        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(refused.unmappable, U'\U0001F600');
        EXPECT_EQ(refused.unmappableOffset,
                  before + page.letters.size() + after);
      }
    }
  }
}

TEST(CodePagesTest, DoubleBytePagesHoldTheirScripts) {
  const std::vector<std::tuple<unsigned, std::string, std::string>> cases = {
      {128, "データを保存 %1",
       "\x83\x66\x81\x5B\x83\x5E\x82\xF0\x95\xDB\x91\xB6 %1"},
      {128, "ｶﾅ～∥―￥", "\xB6\xC5\x81\x60\x81\x61\x81\x5C\x81\x8F"},
      {134, "保存文件€", "\xB1\xA3\xB4\xE6\xCE\xC4\xBC\xFE\x80"},
      {129, "파일 저장", "\xC6\xC4\xC0\xCF \xC0\xFA\xC0\xE5"},
      {129, "똠방각하", "\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF"},
      {136, "儲存檔案", "\xC0\x78\xA6\x73\xC0\xC9\xAE\xD7"},
      {130, "한국어 저장", "\xD0\x65\x8A\x82\xB4\xE1 \xB8\xE1\xB8\x77"},
  };
  for (const auto& [charset, text, bytes] : cases) {
    EXPECT_EQ(encoded(charset, text), bytes) << text;
    EXPECT_EQ(decodeToUtf8(pageOf(charset), bytes), text) << text;
  }
}

TEST(CodePagesTest, SecondBytesThatLookLikeDelimitersBelongToTheirLead) {
  const CodePage& japanese = pageOf(128);
  const std::string bytes = encoded(128, "ソ\\タ^ポ|");
  ASSERT_EQ(bytes, "\x83\x5C\\\x83\x5E^\x83\x7C|");
  // Stepping by characters meets each delimiter once, on its own.
  std::string delimiters;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (isLeadByte(japanese, byte)) {
      i += 2;
    } else {
      delimiters += bytes[i++];
    }
  }
  EXPECT_EQ(delimiters, "\\^|");
  EXPECT_EQ(decodeToUtf8(japanese, bytes), "ソ\\タ^ポ|");
  // Single-byte pages and half-width katakana have no lead bytes.
  EXPECT_FALSE(isLeadByte(japanese, 0xB6));
  EXPECT_FALSE(isLeadByte(japanese, 0x5C));
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_FALSE(isLeadByte(pageOf(238), static_cast<unsigned char>(byte)));
  }
}

TEST(CodePagesTest, BytesWithoutCharacterReadAsReplacement) {
  EXPECT_EQ(decodeToUtf8(pageOf(238), "Za\xBF\xF3\xB3\xE6 \x81"),
            "Zażółć \xEF\xBF\xBD");
  EXPECT_EQ(decodeToUtf8(pageOf(161), "\xAA\xD2"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  const CodePage& japanese = pageOf(128);
  // A pair cut by the line's end keeps the end; a lead byte at the end and
  // an unused row read as one replacement each.
  EXPECT_EQ(decodeToUtf8(japanese, "\x83\n\x83\x5C"), "\xEF\xBF\xBD\nソ");
  EXPECT_EQ(decodeToUtf8(japanese, "ab\x83"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(decodeToUtf8(japanese,
                         "\x85\x40"
                         "a"),
            "\xEF\xBF\xBD@a");
  // 0x80 is U+0080 to Windows and nothing to iconv: nothing here.
  EXPECT_EQ(decodeToUtf8(japanese, "\x80"), "\xEF\xBF\xBD");
  EXPECT_EQ(decodeToUtf8(pageOf(130), "\x84\x41\x80"),
            "\xEF\xBF\xBD"
            "A\xEF\xBF\xBD");
}

TEST(CodePagesTest, WhereTheSystemsDisagreeBothBuildsWriteTheSame) {
  // Johab: 0x5C is the backslash, as in every page, and the won sign that
  // iconv puts there has no place.
  EXPECT_EQ(encoded(130, "a\\b한"), "a\\b\xD0\x65");
  EXPECT_EQ(decodeToUtf8(pageOf(130), "\\\xD0\x65"), "\\한");
  // Hangul letters standing alone have a place in 949, not in Johab.
  EXPECT_EQ(encoded(129, "ㄱ"), "\xA4\xA1");
  std::string out;
  for (std::string lone : {"₩", "ㄱ", "ᄀ"}) {
    EXPECT_FALSE(encodeFromUtf8(pageOf(130), "x" + lone, &out).ok) << lone;
  }
  // Big5 box drawings where Windows has them.
  EXPECT_EQ(encoded(136, "═╞╡╪"), "\xF9\xF9\xF9\xE9\xF9\xEB\xF9\xEA");
  EXPECT_EQ(decodeToUtf8(pageOf(136), "\xF9\xF9\xA2\xA4"), "══");
}

// A digest of every character of the Basic Multilingual Plane written in
// each double-byte page, and of every byte and pair read in it: the Linux
// build (iconv) and the Windows build (the system's converter) must give
// the same figures.
TEST(CodePagesTest, DoubleBytePagesAreTheSameOnEverySystem) {
  struct Figures {
    unsigned charset;
    int characters;
    std::uint64_t digest;
  };
  const std::vector<Figures> expected = {
      {128, 7516, 6450761098216216499u},   {129, 17175, 12125510173788854635u},
      {130, 17081, 2651113159744474782u},  {134, 21919, 2036272514204487024u},
      {136, 13620, 17076848592143701891u},
  };
  for (const Figures& figures : expected) {
    const CodePage& page = pageOf(figures.charset);
    std::uint64_t digest = 14695981039346656037u;
    const auto add = [&](std::string_view bytes) {
      for (char b : bytes) {
        digest = (digest ^ static_cast<unsigned char>(b)) * 1099511628211u;
      }
      digest = (digest ^ 0xFFu) * 1099511628211u;
    };
    int characters = 0;
    std::string out;
    for (char32_t c = 1; c < 0x10000; ++c) {
      if (c >= 0xD800 && c < 0xE000) continue;
      const std::string text = utf8Of(c);
      out.clear();
      if (!encodeFromUtf8(page, text, &out).ok) continue;
      ++characters;
      add(text);
      add(out);
    }
    for (int first = 0x80; first < 0x100; ++first) {
      const std::string one(1, static_cast<char>(first));
      add(decodeToUtf8(page, one));
      if (!isLeadByte(page, static_cast<unsigned char>(first))) continue;
      for (int second = 0x30; second < 0x100; ++second) {
        add(decodeToUtf8(page, one + static_cast<char>(second)));
      }
    }
    EXPECT_EQ(characters, figures.characters) << page.number;
    EXPECT_EQ(digest, figures.digest) << page.number;
  }
}

TEST(CodePagesTest, EveryTableEntryIsPinned) {
  // The tables themselves are checked against the system's converter below.
  for (const auto& [charset, table] : singleByteCharsets()) {
    // The bytes without a character are the ones the encoding check warns
    // of in an 8-bit source; Mac Roman's 0xF0 is a private-use logo that
    // the check lets pass as it is.
    std::string undefined;
    for (std::size_t i = 0; i < table->size(); ++i) {
      if ((*table)[i] == 0) undefined += static_cast<char>(0x80 + i);
    }
    EXPECT_EQ(undefined, charset == 77 ? std::string("\xF0")
                                       : findCharset(charset)->undefinedBytes)
        << charset;
    // Every character has one byte, and reads back as it.
    for (std::size_t i = 0; i < table->size(); ++i) {
      if ((*table)[i] == 0) continue;
      EXPECT_EQ(encoded(charset, utf8Of((*table)[i])),
                std::string(1, static_cast<char>(0x80 + i)))
          << charset << " " << i;
    }
  }
  EXPECT_EQ(kWindows1250[0x39], 0x0105);  // ą at 0xB9
  EXPECT_EQ(kWindows1251[0x40], 0x0410);  // А at 0xC0
  EXPECT_EQ(kWindows1255[0x4A], 0x05BA);  // as Windows reads 0xCA
  EXPECT_EQ(kMacRoman[0x3D], 0x2126);     // as Windows reads 0xBD
}

#if defined(_WIN32)

TEST(CodePagesTest, FallbackIsTheSystemsAnsiPage) {
  EXPECT_EQ(fallbackCodePage().number, GetACP());
}

// Windows reads every byte as the table says; a byte the table leaves
// undefined is an error to it, its C1 control, or a private-use character.
TEST(CodePagesTest, TablesReadAsWindowsReadsThem) {
  for (const auto& [charset, table] : singleByteCharsets()) {
    const unsigned number = pageOf(charset).number;
    for (int byte = 0x80; byte < 0x100; ++byte) {
      const char in = static_cast<char>(byte);
      wchar_t wide[2] = {};
      const int read =
          MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, &in, 1, wide, 2);
      const char16_t mine = (*table)[byte - 0x80];
      if (mine != 0) {
        ASSERT_EQ(read, 1) << number << " " << byte;
        EXPECT_EQ(static_cast<char16_t>(wide[0]), mine)
            << number << " " << byte;
        char back[4] = {};
        BOOL usedDefault = FALSE;
        const int written =
            WideCharToMultiByte(number, WC_NO_BEST_FIT_CHARS, wide, 1, back, 4,
                                nullptr, &usedDefault);
        EXPECT_EQ(written, 1) << number << " " << byte;
        EXPECT_EQ(static_cast<unsigned char>(back[0]), byte);
      } else if (read == 1) {
        const auto c = static_cast<unsigned>(wide[0]);
        EXPECT_TRUE(c == static_cast<unsigned>(byte) ||
                    (c >= 0xE000 && c <= 0xF8FF))
            << number << " " << byte << " U+" << std::hex << c;
      }
    }
  }
}

TEST(CodePagesTest, LeadBytesAreTheSystems) {
  for (unsigned charset : {128u, 129u, 130u, 134u, 136u}) {
    const CodePage& page = pageOf(charset);
    for (int byte = 0; byte < 256; ++byte) {
      const auto b = static_cast<unsigned char>(byte);
      EXPECT_EQ(isLeadByte(page, b), IsDBCSLeadByteEx(page.number, b) != 0)
          << page.number << " " << byte;
    }
  }
}

#else

// What iconv makes of `in`, converted from `from` to `to`; nothing when it
// refuses.
std::optional<std::string> iconvConvert(const char* to, const char* from,
                                        std::string_view in) {
  iconv_t handle = iconv_open(to, from);
  if (std::bit_cast<std::intptr_t>(handle) == -1) return std::nullopt;
  std::string out(in.size() * 4 + 4, '\0');
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t done = iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft);
  const bool flushed = iconv(handle, nullptr, nullptr, &outPtr, &outLeft) !=
                       static_cast<std::size_t>(-1);
  iconv_close(handle);
  if (done == static_cast<std::size_t>(-1) || !flushed || inLeft != 0) {
    return std::nullopt;
  }
  out.resize(out.size() - outLeft);
  return out;
}

const char* iconvName(unsigned number) {
  switch (number) {
    case 874:
      return "CP874";
    case 932:
      return "CP932";
    case 936:
      return "CP936";
    case 949:
      return "CP949";
    case 950:
      return "CP950";
    case 1361:
      return "JOHAB";
    case 10000:
      return "MACINTOSH";
    default: {
      static std::string name;
      name = "CP" + std::to_string(number);
      return name.c_str();
    }
  }
}

TEST(CodePagesTest, FallbackIsWindows1252) {
  EXPECT_EQ(fallbackCodePage().number, 1252u);
  EXPECT_EQ(fallbackCodePage().name, "Windows-1252");
}

// Every byte both ways against iconv, but for the bytes where the table
// follows Windows instead: the application reads through Windows' tables.
TEST(CodePagesTest, TablesAgreeWithIconv) {
  const std::vector<std::pair<unsigned, int>> windowsReads = {
      {1255, 0xCA}, {10000, 0xBD}, {10000, 0xC6}, {10000, 0xF0}};
  for (const auto& [charset, table] : singleByteCharsets()) {
    const CodePage& page = pageOf(charset);
    const char* name = iconvName(page.number);
    for (int byte = 0x80; byte < 0x100; ++byte) {
      const std::string in(1, static_cast<char>(byte));
      const std::optional<std::string> theirs = iconvConvert("UTF-8", name, in);
      const std::string mine = decodeToUtf8(page, in);
      const bool differs =
          std::find(windowsReads.begin(), windowsReads.end(),
                    std::make_pair(page.number, byte)) != windowsReads.end();
      EXPECT_EQ(differs, mine != theirs.value_or("\xEF\xBF\xBD"))
          << page.number << " " << byte;
      if (!theirs || differs) continue;
      std::string out;
      EXPECT_TRUE(encodeFromUtf8(page, *theirs, &out).ok);
      EXPECT_EQ(out, iconvConvert(name, "UTF-8", *theirs)) << page.number;
      EXPECT_EQ(out, in);
    }
  }
}

TEST(CodePagesTest, Windows1258LettersAsIconvWritesThem) {
  ASSERT_FALSE(kWindows1258Decomposed.empty());
  for (std::size_t i = 0; i < kWindows1258Decomposed.size(); ++i) {
    const Decomposed& d = kWindows1258Decomposed[i];
    if (i > 0) {
      EXPECT_LT(kWindows1258Decomposed[i - 1].letter, d.letter);
    }
    const std::string letter = utf8Of(d.letter);
    const std::string mine = encoded(163, letter);
    EXPECT_EQ(mine, (std::string{static_cast<char>(d.base),
                                 static_cast<char>(d.mark)}));
    EXPECT_EQ(iconvConvert("CP1258", "UTF-8", letter), mine)
        << std::hex << static_cast<unsigned>(d.letter);
  }
}

// Every lead byte iconv knows is one here; the rest are rows left to users
// or unused, where Windows still takes a second byte.
TEST(CodePagesTest, LeadBytesCoverIconvs) {
  const std::vector<std::pair<unsigned, std::string>> emptyRows = {
      {128, "\x85\x86\xEB\xEC\xEF"},
      {129, "\xC9\xFE"},
      {130, "\xD8"},
      {134, ""},
      {136,
       "\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91"
       "\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F\xA0\xFA\xFB"
       "\xFC\xFD\xFE"},
  };
  for (const auto& [charset, empty] : emptyRows) {
    const CodePage& page = pageOf(charset);
    const char* name = iconvName(page.number);
    std::string unused;
    for (int byte = 0x80; byte < 0x100; ++byte) {
      bool paired = false;
      for (int second = 0x30; second < 0x100 && !paired; ++second) {
        const std::string pair = {static_cast<char>(byte),
                                  static_cast<char>(second)};
        const std::optional<std::string> read =
            iconvConvert("UTF-32LE", name, pair);
        paired = read && read->size() == 4;
      }
      const auto b = static_cast<unsigned char>(byte);
      if (paired) {
        EXPECT_TRUE(isLeadByte(page, b)) << page.number << " " << byte;
      }
      if (!paired && isLeadByte(page, b)) unused += static_cast<char>(byte);
    }
    EXPECT_EQ(unused, empty) << page.number;
  }
}

#endif

}  // namespace
}  // namespace parlavox
