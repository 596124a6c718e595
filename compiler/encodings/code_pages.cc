#include "compiler/encodings/code_pages.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "compiler/encodings/code_page_converter.h"
#include "compiler/encodings/code_page_tables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The length of the run of ASCII at `from`, copied to `to`, which has as
// much room after it as `from` has up to `end`: ASCII passes as it is.
// Sixteen bytes are copied at a time before they are looked at (eight
// without SSE2), which that room allows, and the run ends at the exact
// byte.
inline std::size_t copyAsciiRun(const char* from, const char* end, char* to) {
  static_assert(std::endian::native == std::endian::little,
                "the first byte of a word is its lowest");
  std::size_t copied = 0;
#if defined(__SSE2__)
  while (end - from >= 16) {
    const __m128i block =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), block);
    if (const auto high = static_cast<unsigned>(_mm_movemask_epi8(block))) {
      return copied + static_cast<std::size_t>(std::countr_zero(high));
    }
    from += 16;
    to += 16;
    copied += 16;
  }
#endif
  while (end - from >= 8) {
    std::uint64_t eight = 0;
    std::memcpy(&eight, from, 8);
    std::memcpy(to, &eight, 8);
    if (const std::uint64_t high = eight & 0x8080808080808080u) {
      return copied + static_cast<std::size_t>(std::countr_zero(high) / 8);
    }
    from += 8;
    to += 8;
    copied += 8;
  }
  while (from != end && static_cast<unsigned char>(*from) < 0x80) {
    *to++ = *from++;
    ++copied;
  }
  return copied;
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
    const auto lead = static_cast<unsigned char>(*from);
    if (lead < 0x80) {
      const std::size_t run = copyAsciiRun(from, end, to);
      from += run;
      to += run;
      continue;
    }
    if (lead < 0xE0 && end - from >= 2) {
      // Every letter of the 8-bit pages but Thai's takes two bytes: read
      // here, as nextCharacter reads them, without its calls.
      const unsigned pair =
          ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(from[1]) & 0x3Fu);
      if (const unsigned char byte = reverse[pair]; byte != 0) {
        *to++ = static_cast<char>(byte);
        from += 2;
        continue;
      }
    }
    const auto offset = static_cast<std::size_t>(from - begin);
    std::size_t length = 0;
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

// A double-byte page as the system's converter has it, read once on first
// use: what each byte and pair stands for, and the bytes of each character.
// Only a character that its bytes read back as has a place (iconv writes
// some characters as a look-alike's bytes, U+301C WAVE DASH as those of
// U+FF5E), ASCII is ASCII in every page (Johab's 0x5C included), and
// isRefused and kOverrides settle where the systems disagree.
class SystemTable {
 public:
  explicit SystemTable(const CodePage& page)
      : read_(std::size_t{128} * 256, 0), bytesOf_(0x10000, 0) {
    std::string text;
    for (int first = 0x80; first < 0x100; ++first) {
      const auto lead = static_cast<unsigned char>(first);
      const bool paired = isLeadByte(page, lead);
      for (int second = 0; second < (paired ? 0x100 : 1); ++second) {
        std::string bytes(1, static_cast<char>(lead));
        if (paired) bytes += static_cast<char>(second);
        text.clear();
        if (!os::decodeWithSystem(page.number, bytes, &text)) continue;
        std::size_t length = 0;
        const char32_t c = nextCharacter(text, 0, &length);
        if (length != text.size() || c < 0x80 || c >= 0x10000 ||
            isRefused(page.number, c)) {
          continue;
        }
        read_[index(lead, static_cast<unsigned char>(second))] =
            static_cast<char16_t>(c);
      }
    }
    // The bytes the system writes each character in, where they read back
    // as it.
    for (const char16_t c : read_) {
      if (c == 0 || bytesOf_[c] != 0) continue;
      text.clear();
      const Override* decided = overrideOf(page.number, c);
      std::string_view written = text;
      if (decided != nullptr) {
        written = decided->bytes;
      } else if (os::encodeWithSystem(page.number, utf8Of(c), &text)) {
        written = text;
      } else {
        continue;
      }
      const auto first =
          static_cast<unsigned char>(written.empty() ? 0 : written[0]);
      if (written.size() == 1 && readSingle(first) == c) {
        bytesOf_[c] = first;
      } else if (written.size() == 2 &&
                 readPair(first, static_cast<unsigned char>(written[1])) == c) {
        bytesOf_[c] = static_cast<std::uint16_t>(
            (first << 8) | static_cast<unsigned char>(written[1]));
      }
    }
  }

  // The character of a byte from 0x80 standing alone; 0 for none.
  char16_t readSingle(unsigned char byte) const {
    return read_[index(byte, 0)];
  }
  // The character of a pair that starts with a lead byte; 0 for none.
  char16_t readPair(unsigned char lead, unsigned char second) const {
    return read_[index(lead, second)];
  }
  // The bytes of `c` beyond ASCII: one byte below 0x100, else the pair's
  // first byte times 256 plus the second; 0 where `c` has no place.
  std::uint16_t bytesOf(char32_t c) const {
    return c < bytesOf_.size() ? bytesOf_[c] : 0;
  }

 private:
  static std::size_t index(unsigned char first, unsigned char second) {
    return (std::size_t{first} - 0x80) * 256 + second;
  }

  static std::string utf8Of(char16_t c) {
    std::string text;
    appendUtf8(c, &text);
    return text;
  }

  std::vector<char16_t> read_;          // by first byte - 0x80, then second
  std::vector<std::uint16_t> bytesOf_;  // by character
};

// The table of `page`, built on first use. Eight slots hold more pages than
// there are: the five double-byte ones and the system's.
const SystemTable& systemTableOf(const CodePage& page) {
  static std::mutex guard;
  static std::array<std::unique_ptr<SystemTable>, 8> tables;
  static std::array<unsigned, 8> numbers{};
  const std::lock_guard<std::mutex> lock(guard);
  std::size_t slot = 0;
  while (slot < numbers.size() && numbers[slot] != 0 &&
         numbers[slot] != page.number) {
    ++slot;
  }
  slot = std::min(slot, numbers.size() - 1);
  if (numbers[slot] != page.number) {
    tables[slot] = std::make_unique<SystemTable>(page);
    numbers[slot] = page.number;
  }
  return *tables[slot];
}

Encoded encodeWithSystemTable(const CodePage& page, std::string_view utf8,
                              std::string* out) {
  const SystemTable& table = systemTableOf(page);
  // No character takes more bytes in the page than in UTF-8.
  const std::size_t start = out->size();
  out->resize(start + utf8.size());
  char* to = out->data() + start;
  const char* const end = utf8.data() + utf8.size();
  for (std::size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      const std::size_t run = copyAsciiRun(utf8.data() + i, end, to);
      i += run;
      to += run;
      continue;
    }
    std::size_t length = 0;
    const char32_t c = nextCharacter(utf8, i, &length);
    const std::uint16_t bytes = table.bytesOf(c);
    if (bytes == 0) {
      out->resize(static_cast<std::size_t>(to - out->data()));
      return {false, c, i};
    }
    if (bytes > 0xFF) *to++ = static_cast<char>(bytes >> 8);
    *to++ = static_cast<char>(bytes & 0xFF);
    i += length;
  }
  out->resize(static_cast<std::size_t>(to - out->data()));
  return {};
}

std::string decodeWithSystemTable(const CodePage& page,
                                  std::string_view bytes) {
  const SystemTable& table = systemTableOf(page);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      out.push_back(bytes[i++]);
      continue;
    }
    // A pair that forms no character gives U+FFFD for its first byte, and
    // the second is read again on its own, as it may be a line's end or a
    // delimiter.
    char16_t c = 0;
    if (!isLeadByte(page, byte)) {
      c = table.readSingle(byte);
    } else if (i + 1 < bytes.size()) {
      c = table.readPair(byte, static_cast<unsigned char>(bytes[i + 1]));
      if (c != 0) ++i;
    }
    appendUtf8(c != 0 ? c : kReplacement, &out);
    ++i;
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
  return encodeWithSystemTable(page, utf8, out);
}

std::string decodeToUtf8(const CodePage& page, std::string_view bytes) {
  const std::size_t index = tableIndex(page.number);
  if (index < kTables.size()) {
    return decodeWithTable(*kTables[index].high, bytes);
  }
  return decodeWithSystemTable(page, bytes);
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
