#include "compiler/code_pages.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>

#include "compiler/code_page_converter.h"
#include "compiler/code_page_tables.h"

namespace parlavox {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct CharsetPage {
  unsigned charset;
  CodePage page;
};

constexpr std::array<CharsetPage, 16> kCharsetPages = {{
    {0, {1252, "Windows-1252", false}},
    {77, {10000, "Mac Roman", false}},
    {128, {932, "Windows-932", true}},
    {129, {949, "Windows-949", true}},
    {130, {1361, "Windows-1361", true}},
    {134, {936, "Windows-936", true}},
    {136, {950, "Windows-950", true}},
    {161, {1253, "Windows-1253", false}},
    {162, {1254, "Windows-1254", false}},
    {163, {1258, "Windows-1258", false}},
    {177, {1255, "Windows-1255", false}},
    {178, {1256, "Windows-1256", false}},
    {186, {1257, "Windows-1257", false}},
    {204, {1251, "Windows-1251", false}},
    {222, {874, "Windows-874", false}},
    {238, {1250, "Windows-1250", false}},
}};

struct Table {
  unsigned number;
  const HighHalf* high;
};

const std::array<Table, 11> kTables = {{
    {874, &kWindows874},
    {1250, &kWindows1250},
    {1251, &kWindows1251},
    {1252, &kWindows1252},
    {1253, &kWindows1253},
    {1254, &kWindows1254},
    {1255, &kWindows1255},
    {1256, &kWindows1256},
    {1257, &kWindows1257},
    {1258, &kWindows1258},
    {10000, &kMacRoman},
}};

// Index into kTables; kTables.size() for a page without a table.
std::size_t tableIndex(unsigned number) {
  const auto* found =
      std::find_if(kTables.begin(), kTables.end(),
                   [&](const Table& table) { return table.number == number; });
  return static_cast<std::size_t>(found - kTables.begin());
}

// The byte of every character of the Basic Multilingual Plane in one page,
// 0 where it has none: one lookup per character, built on first use.
using Reverse = std::array<unsigned char, 0x10000>;

const Reverse& reverseOf(std::size_t index) {
  static std::array<std::once_flag, kTables.size()> built;
  static std::array<std::unique_ptr<Reverse>, kTables.size()> reverses;
  std::call_once(built[index], [index] {
    auto reverse = std::make_unique<Reverse>();
    reverse->fill(0);
    const HighHalf& high = *kTables[index].high;
    for (std::size_t i = 0; i < high.size(); ++i) {
      if (high[i] != 0) {
        (*reverse)[high[i]] = static_cast<unsigned char>(0x80 + i);
      }
    }
    reverses[index] = std::move(reverse);
  });
  return *reverses[index];
}

const Decomposed* decomposed1258(char32_t c) {
  const auto* found = std::lower_bound(
      kWindows1258Decomposed.begin(), kWindows1258Decomposed.end(), c,
      [](const Decomposed& d, char32_t key) { return d.letter < key; });
  if (found == kWindows1258Decomposed.end() || found->letter != c) {
    return nullptr;
  }
  return found;
}

// The character starting at `i` of well-formed UTF-8 `text`, and its length.
char32_t nextCharacter(std::string_view text, std::size_t i,
                       std::size_t* length) {
  const auto byte = [&](std::size_t k) {
    return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
  };
  const unsigned lead = byte(0);
  if (lead < 0x80) {
    *length = 1;
    return lead;
  }
  if (lead < 0xE0) {
    *length = 2;
    return ((lead & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
  }
  if (lead < 0xF0) {
    *length = 3;
    return ((lead & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) |
           (byte(2) & 0x3Fu);
  }
  *length = 4;
  return ((lead & 0x07u) << 18) | ((byte(1) & 0x3Fu) << 12) |
         ((byte(2) & 0x3Fu) << 6) | (byte(3) & 0x3Fu);
}

void appendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Characters that no double-byte page gives a place here, because Windows
// and iconv disagree on them: the C1 controls, which Windows reads some
// undefined bytes as; the private-use characters, which Windows gives the
// user-defined rows of some pages and iconv does not; and in Johab the
// Hangul letters standing alone, which iconv writes as the compatibility
// jamo and Windows as the conjoining ones.
bool isRefused(unsigned number, char32_t c) {
  if ((c >= 0x80 && c <= 0x9F) || (c >= 0xE000 && c <= 0xF8FF)) return true;
  return number == 1361 && ((c >= 0x1100 && c <= 0x11FF) ||
                            (c >= 0x3130 && c <= 0x318F) || c == 0x327E);
}

// Where iconv and Windows write one character differently, the bytes
// Windows writes (iconv writes the Big5 box drawings 0xF9F9, 0xF9E9, 0xF9EB,
// 0xF9EA at their older places; both read either pair as the character).
struct Override {
  unsigned number;
  char32_t character;
  std::string_view bytes;
};

constexpr std::array<Override, 4> kOverrides = {{
    {950, 0x2550, "\xF9\xF9"},
    {950, 0x255E, "\xF9\xE9"},
    {950, 0x2561, "\xF9\xEB"},
    {950, 0x256A, "\xF9\xEA"},
}};

const Override* overrideOf(unsigned number, char32_t c) {
  for (const Override& o : kOverrides) {
    if (o.number == number && o.character == c) return &o;
  }
  return nullptr;
}

Encoded encodeWithTable(std::size_t index, std::string_view utf8,
                        std::string* out) {
  const Reverse& reverse = reverseOf(index);
  const bool vietnamese = kTables[index].number == 1258;
  // No character takes more bytes in the page than in UTF-8.
  const std::size_t start = out->size();
  out->resize(start + utf8.size());
  char* to = out->data() + start;
  const char* const begin = utf8.data();
  const char* from = begin;
  const char* const end = begin + utf8.size();
  while (from != end) {
    // ASCII passes as it is, eight bytes at a time while none has its high
    // bit set.
    while (end - from >= 8) {
      std::uint64_t eight = 0;
      std::memcpy(&eight, from, 8);
      if ((eight & 0x8080808080808080u) != 0) break;
      std::memcpy(to, from, 8);
      from += 8;
      to += 8;
    }
    while (from != end && static_cast<unsigned char>(*from) < 0x80) {
      *to++ = *from++;
    }
    if (from == end) break;
    std::size_t length = 0;
    const auto offset = static_cast<std::size_t>(from - begin);
    const char32_t c = nextCharacter(utf8, offset, &length);
    from += std::min(length, static_cast<std::size_t>(end - from));
    if (c < reverse.size() && reverse[c] != 0) {
      *to++ = static_cast<char>(reverse[c]);
    } else if (const Decomposed* d = vietnamese ? decomposed1258(c) : nullptr) {
      *to++ = static_cast<char>(d->base);
      *to++ = static_cast<char>(d->mark);
    } else {
      out->resize(static_cast<std::size_t>(to - out->data()));
      return {false, c, offset};
    }
  }
  out->resize(static_cast<std::size_t>(to - out->data()));
  return {};
}

// Converts `utf8`, characters beyond ASCII only, into double-byte `page`
// with the system's converter; false when one has no place there, and a
// character written as an ASCII byte has none: 0x00..0x7F are ASCII in
// every page as the application reads it (Johab's 0x5C included).
bool convertRun(const CodePage& page, std::string_view utf8, std::string* out) {
  const std::size_t start = out->size();
  if (!os::encodeWithSystem(page.number, utf8, out)) return false;
  for (std::size_t i = start; i < out->size();) {
    const auto byte = static_cast<unsigned char>((*out)[i]);
    if (byte < 0x80) return false;
    i += isLeadByte(page, byte) ? 2 : 1;
  }
  return true;
}

// Converts `utf8`, characters beyond ASCII only, found at `offset` of the
// whole text.
Encoded encodeRun(const CodePage& page, std::string_view utf8,
                  std::size_t offset, std::string* out) {
  const std::size_t start = out->size();
  if (convertRun(page, utf8, out)) return {};
  // Refused as a whole: find the first character with no place.
  out->resize(start);
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t length = 0;
    const char32_t c = nextCharacter(utf8, i, &length);
    length = std::min(length, utf8.size() - i);
    if (!convertRun(page, utf8.substr(i, length), out)) {
      return {false, c, offset + i};
    }
    i += length;
  }
  return {};
}

Encoded encodeWithConverter(const CodePage& page, std::string_view utf8,
                            std::string* out) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t run = i;
    while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) < 0x80) {
      ++run;
    }
    out->append(utf8, i, run - i);
    // Then the characters beyond ASCII, up to one this program decides.
    i = run;
    char32_t c = 0;
    std::size_t length = 0;
    while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) >= 0x80) {
      c = nextCharacter(utf8, run, &length);
      if (isRefused(page.number, c) || overrideOf(page.number, c) != nullptr) {
        break;
      }
      run += std::min(length, utf8.size() - run);
    }
    if (run > i) {
      const Encoded done = encodeRun(page, utf8.substr(i, run - i), i, out);
      if (!done.ok) return done;
      i = run;
    }
    if (i < utf8.size() && static_cast<unsigned char>(utf8[i]) >= 0x80) {
      const Override* decided = overrideOf(page.number, c);
      if (decided == nullptr) return {false, c, i};
      out->append(decided->bytes);
      i += std::min(length, utf8.size() - i);
    }
  }
  return {};
}

// Whether decoded `utf8` holds a character that no double-byte page reads
// here, or ASCII, which only ASCII bytes are.
bool readsWrong(unsigned number, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t length = 0;
    const char32_t c = nextCharacter(utf8, i, &length);
    if (c < 0x80 || isRefused(number, c)) return true;
    i += length;
  }
  return false;
}

std::string decodeWithConverter(const CodePage& page, std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      out.push_back(bytes[i++]);
      continue;
    }
    // A run of characters beyond ASCII: lead bytes with their second byte,
    // whatever it is, and single bytes from 0x80.
    std::size_t end = i;
    while (end < bytes.size() &&
           static_cast<unsigned char>(bytes[end]) >= 0x80) {
      end += isLeadByte(page, static_cast<unsigned char>(bytes[end])) ? 2 : 1;
    }
    end = std::min(end, bytes.size());
    const std::size_t before = out.size();
    if (os::decodeWithSystem(page.number, bytes.substr(i, end - i), &out) &&
        !readsWrong(page.number, std::string_view(out).substr(before))) {
      i = end;
      continue;
    }
    // Character by character: a pair that forms none gives U+FFFD for its
    // first byte, and the second is read again on its own, as it may be a
    // line's end or a delimiter.
    out.resize(before);
    while (i < end) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      if (byte < 0x80) {
        out.push_back(bytes[i++]);
        continue;
      }
      const std::size_t length = isLeadByte(page, byte) && i + 1 < end ? 2 : 1;
      const std::size_t at = out.size();
      if (os::decodeWithSystem(page.number, bytes.substr(i, length), &out) &&
          !readsWrong(page.number, std::string_view(out).substr(at))) {
        i += length;
      } else {
        out.resize(at);
        appendUtf8(kReplacement, &out);
        ++i;
      }
    }
  }
  return out;
}

std::string decodeWithTable(const HighHalf& high, std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) {
    const auto byte = static_cast<unsigned char>(b);
    if (byte < 0x80) {
      out.push_back(b);
    } else {
      const char16_t c = high[byte - 0x80];
      appendUtf8(c != 0 ? c : kReplacement, &out);
    }
  }
  return out;
}

}  // namespace

const CodePage* codePageOfCharset(unsigned charsetValue) {
  const auto* found = std::find_if(
      kCharsetPages.begin(), kCharsetPages.end(),
      [&](const CharsetPage& entry) { return entry.charset == charsetValue; });
  return found == kCharsetPages.end() ? nullptr : &found->page;
}

bool isLeadByte(const CodePage& page, unsigned char byte) {
  switch (page.number) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    case 1361:
      return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xDE) ||
             (byte >= 0xE0 && byte <= 0xF9);
    default:
      return page.doubleByte && os::isSystemLeadByte(page.number, byte);
  }
}

Encoded encodeFromUtf8(const CodePage& page, std::string_view utf8,
                       std::string* out) {
  const std::size_t index = tableIndex(page.number);
  if (index < kTables.size()) return encodeWithTable(index, utf8, out);
  return encodeWithConverter(page, utf8, out);
}

std::string decodeToUtf8(const CodePage& page, std::string_view bytes) {
  const std::size_t index = tableIndex(page.number);
  if (index < kTables.size()) {
    return decodeWithTable(*kTables[index].high, bytes);
  }
  return decodeWithConverter(page, bytes);
}

const CodePage& fallbackCodePage() {
  static const CodePage page = [] {
    bool doubleByte = false;
    const unsigned number = os::systemCodePage(&doubleByte);
    for (const CharsetPage& entry : kCharsetPages) {
      if (entry.page.number == number) return entry.page;
    }
    static const std::string name = "Windows-" + std::to_string(number);
    return CodePage{number, name, doubleByte};
  }();
  return page;
}

}  // namespace parlavox
