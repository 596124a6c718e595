#include "compiler/encodings/languages.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "compiler/encodings/code_pages.h"
#include "compiler/encodings/name_folding_table.h"
#include "compiler/encodings/utf16.h"

namespace parlavox {

namespace {

// The letters are those a text of the language needs beyond ASCII, as its
// alphabet has them; where the alphabet has a letter that the code page has
// no place for, the letter is left out, because a source in that code page
// cannot hold it either:
// - Azerbaijani "ə" and "Ə" are not in Windows-1254;
// - the Persian and Urdu "ی" (U+06CC) is not in Windows-1256, whose texts
//   write the Arabic "ي" for it;
// - Vietnamese is its 29 letters; the tones are marks that Windows-1258
//   holds as characters of their own.
// Thai, Japanese, Chinese and Korean are written with more characters than
// an alphabet's few dozen: their letters are a set of common ones.
constexpr std::array<Language, 42> kLanguages = {{
    // Windows-1252.
    {"English", "en", "English", "", 0, -1, ""},
    {"German", "de", "Deutsch", "", 0, -1, "äöüßÄÖÜ"},
    {"French", "fr", "Français", "", 0, -1, "àâæçéèêëîïôœùûüÿÀÂÆÇÉÈÊËÎÏÔŒÙÛÜŸ"},
    {"Spanish", "es", "Español", "Castellano|Castilian", 0, -1,
     "áéíóúüñÁÉÍÓÚÜÑ"},
    {"Italian", "it", "Italiano", "", 0, -1, "àèéìòóùÀÈÉÌÒÓÙ"},
    {"Portuguese", "pt", "Português",
     "Brazilian Portuguese|Português do Brasil", 0, -1,
     "áâãàçéêíóôõúÁÂÃÀÇÉÊÍÓÔÕÚ"},
    {"Dutch", "nl", "Nederlands", "Flemish|Vlaams", 0, -1,
     "áéèëíïóöúüÁÉÈËÍÏÓÖÚÜ"},
    {"Danish", "da", "Dansk", "", 0, -1, "æøåÆØÅ"},
    {"Norwegian", "no", "Norsk",
     "Bokmål|Nynorsk|Norsk bokmål|Norsk nynorsk|Norwegian Bokmål|"
     "Norwegian Nynorsk",
     0, -1, "æøåÆØÅ"},
    {"Swedish", "sv", "Svenska", "", 0, -1, "åäöÅÄÖ"},
    {"Finnish", "fi", "Suomi", "", 0, -1, "äöåÄÖÅ"},
    {"Icelandic", "is", "Íslenska", "", 0, -1, "áðéíóúýþæöÁÐÉÍÓÚÝÞÆÖ"},
    // Windows-1250.
    {"Polish", "pl", "Polski", "", 238, -1, "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ"},
    {"Czech", "cs", "Čeština", "Česky", 238, -1,
     "áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ"},
    {"Slovak", "sk", "Slovenčina", "", 238, -1,
     "áäčďéíĺľňóôŕšťúýžÁÄČĎÉÍĹĽŇÓÔŔŠŤÚÝŽ"},
    {"Hungarian", "hu", "Magyar", "", 238, -1, "áéíóöőúüűÁÉÍÓÖŐÚÜŰ"},
    {"Slovene", "sl", "Slovenščina", "Slovenian", 238, -1, "čšžČŠŽ"},
    {"Croatian", "hr", "Hrvatski", "", 238, -1, "čćđšžČĆĐŠŽ"},
    // With the cedilla: Windows-1250 has no "ș" or "ț" with the comma below.
    {"Romanian", "ro", "Română", "", 238, -1, "ăâîşţĂÂÎŞŢ"},
    {"Albanian", "sq", "Shqip", "", 238, -1, "çëÇË"},
    // Windows-1251.
    {"Russian", "ru", "Русский", "", 204, -1,
     "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"
     "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
    {"Ukrainian", "uk", "Українська", "", 204, -1,
     "абвгґдеєжзиіїйклмнопрстуфхцчшщьюя"
     "АБВГҐДЕЄЖЗИІЇЙКЛМНОПРСТУФХЦЧШЩЬЮЯ"},
    {"Belarusian", "be", "Беларуская", "", 204, -1,
     "абвгдеёжзійклмнопрстуўфхцчшыьэюя"
     "АБВГДЕЁЖЗІЙКЛМНОПРСТУЎФХЦЧШЫЬЭЮЯ"},
    {"Bulgarian", "bg", "Български", "", 204, -1,
     "абвгдежзийклмнопрстуфхцчшщъьюя"
     "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЬЮЯ"},
    // Serbian is written in the Latin script as well, with the letters of
    // Croatian.
    {"Serbian", "sr", "Српски", "Srpski", 204, 238,
     "абвгдђежзијклљмнњопрстћуфхцчџш"
     "АБВГДЂЕЖЗИЈКЛЉМНЊОПРСТЋУФХЦЧЏШ"},
    {"Macedonian", "mk", "Македонски", "", 204, -1,
     "абвгдѓежзѕијклљмнњопрстќуфхцчџш"
     "АБВГДЃЕЖЗЅИЈКЛЉМНЊОПРСТЌУФХЦЧЏШ"},
    // Windows-1253.
    {"Greek", "el", "Ελληνικά", "", 161, -1,
     "αβγδεζηθικλμνξοπρστυφχψωςάέήίόύώϊϋΐΰ"
     "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩΆΈΉΊΌΎΏΪΫ"},
    // Windows-1254.
    {"Turkish", "tr", "Türkçe", "", 162, -1, "çğıöşüÇĞİÖŞÜ"},
    {"Azerbaijani (Latin)", "az", "Azərbaycan dili",
     "Azerbaijani|Azeri|Azerbaycan dili|Azərbaycanca|Azerbaycanca", 162, -1,
     "çğıöşüÇĞİÖŞÜ"},
    // Windows-1255: the letters and their final forms.
    {"Hebrew", "he", "עברית", "", 177, -1, "אבגדהוזחטיךכלםמןנסעףפץצקרשת"},
    // Windows-1256.
    {"Arabic", "ar", "العربية", "", 178, -1,
     "ءآأؤإئابةتثجحخدذرزسشصضطظعغفقكلمنهوىي"},
    {"Persian", "fa", "فارسی", "Farsi", 178, -1,
     "آابپتثجچحخدذرزژسشصضطظعغفقکگلمنوه"},
    {"Urdu", "ur", "اردو", "", 178, -1,
     "آابپتٹثجچحخدڈذرڑزژسشصضطظعغفقکگلمنںوہھءے"},
    // Windows-1257.
    {"Estonian", "et", "Eesti", "", 186, -1, "äöõüšžÄÖÕÜŠŽ"},
    {"Latvian", "lv", "Latviešu", "", 186, -1, "āčēģīķļņšūžĀČĒĢĪĶĻŅŠŪŽ"},
    {"Lithuanian", "lt", "Lietuvių", "", 186, -1, "ąčęėįšųūžĄČĘĖĮŠŲŪŽ"},
    // Windows-1258.
    {"Vietnamese", "vi", "Tiếng Việt", "", 163, -1, "ăâđêôơưĂÂĐÊÔƠƯ"},
    // Windows-874: the consonants and the vowels written on the line.
    {"Thai", "th", "ไทย", "", 222, -1,
     "กขฃคฅฆงจฉชซฌญฎฏฐฑฒณดตถทธนบปผฝพฟภมยรลวศษสหฬอฮะาำเแโใไ"},
    // The double-byte code pages. Japanese: the kana, and the kanji of its
    // name and of "lyrics".
    {"Japanese", "ja", "日本語", "", 128, -1,
     "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ"
     "まみむめもやゆよらりるれろわをん"
     "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
     "マミムメモヤユヨラリルレロワヲン日本語歌詞"},
    // The commonest characters. Big5 writes Chinese too, in the traditional
    // characters, which is what a source named just "Chinese" may be in.
    {"Chinese, simplified", "zh_CN", "简体中文",
     "Chinese|中文|Simplified Chinese|Chinese simplified|汉语", 134, 136,
     "的一是不了人我在有他这个们中来上大为和国地到以说时要就出会可也你对"
     "生能而子那得于着下自之年过发后作里"},
    {"Chinese, traditional", "zh_TW", "繁體中文",
     "Traditional Chinese|Chinese traditional|正體中文", 136, -1,
     "的一是不了人我在有他這個們中來上大為和國地到以說時要就出會可也你對"
     "生能而子那得於著下自之年過發後作裡"},
    // The syllables of the consonants with "a", and of its name and "song";
    // Johab writes the same syllables in other bytes.
    {"Korean", "ko", "한국어", "Hangul", 129, 130,
     "가나다라마바사아자차카타파하한국어노래"},
}};

struct Group {
  unsigned charset;
  std::string_view languages;
};

constexpr std::array<Group, 16> kGroups = {{
    {0, "Western European"},
    {238, "Central European"},
    {204, "Cyrillic"},
    {161, "Greek"},
    {162, "Turkish"},
    {177, "Hebrew"},
    {178, "Arabic"},
    {186, "Baltic"},
    {163, "Vietnamese"},
    {222, "Thai"},
    {128, "Japanese"},
    {134, "Chinese, simplified"},
    {136, "Chinese, traditional"},
    {129, "Korean"},
    {130, "Korean (Johab)"},
    {77, "Western European, on a Mac"},
}};

// The code point that starts at `*at` in `text`, moving `*at` past it;
// nothing where the bytes there are not UTF-8 (overlong forms, surrogates
// and values past U+10FFFF included).
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t* at) {
  const auto lead = static_cast<unsigned char>(text[*at]);
  const std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x06 ? 2
                             : (lead >> 4) == 0x0E ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
  if (length == 0 || text.size() - *at < length) return std::nullopt;
  char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[*at + i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (next & 0x3Fu);
  }
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || code > 0x10FFFF ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return std::nullopt;
  }
  *at += length;
  return code;
}

char32_t foldedLetter(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
  const auto* found = std::lower_bound(
      kNameFoldings.begin(), kNameFoldings.end(), c,
      [](const NameFolding& f, char32_t key) { return f.letter < key; });
  if (found == kNameFoldings.end() || found->letter != c) return c;
  return found->folded;
}

// Every name of every language, folded once.
const std::vector<std::pair<std::string, const Language*>>& foldedNames() {
  static const auto names = [] {
    std::vector<std::pair<std::string, const Language*>> all;
    for (const Language& language : kLanguages) {
      all.emplace_back(foldedName(language.english), &language);
      all.emplace_back(foldedName(language.own), &language);
      std::string_view rest = language.aliases;
      while (!rest.empty()) {
        const std::size_t bar = std::min(rest.find('|'), rest.size());
        all.emplace_back(foldedName(rest.substr(0, bar)), &language);
        rest.remove_prefix(std::min(bar + 1, rest.size()));
      }
    }
    return all;
  }();
  return names;
}

}  // namespace

std::span<const Language> knownLanguages() { return kLanguages; }

const Language* languageNamed(std::string_view name) {
  const std::string folded = foldedName(name);
  if (folded.empty()) return nullptr;
  const auto& names = foldedNames();
  const auto found =
      std::find_if(names.begin(), names.end(),
                   [&](const auto& entry) { return entry.first == folded; });
  return found == names.end() ? nullptr : found->second;
}

std::string foldedName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t at = 0; at < name.size();) {
    const std::optional<char32_t> c = nextCodePoint(name, &at);
    if (!c) return {};
    if (*c == ' ' || *c == '-' || *c == '_') continue;
    // A name typed or saved decomposed ("n" and a combining tilde, as a Mac
    // writes file names) carries its accents as marks of their own.
    if (*c >= 0x0300 && *c <= 0x036F) continue;
    appendUtf8(out, foldedLetter(*c));
  }
  return out;
}

bool charsetShowsLanguage(const Charset* charset, const Language& language) {
  if (charset == nullptr) return false;
  const CodePage* shown = codePageOfCharset(charset->value);
  const CodePage* written = codePageOfCharset(language.charset);
  if (shown == nullptr || written == nullptr) return false;
  if (charset->value == language.charset ||
      static_cast<int>(charset->value) == language.alsoCharset) {
    return true;
  }
  // Letter by letter, so that in a double-byte page one letter's bytes are
  // never read as a pair with the next one's.
  const std::string_view letters = language.letters;
  std::string bytes;
  for (std::size_t at = 0; at < letters.size();) {
    const std::size_t start = at;
    if (!nextCodePoint(letters, &at)) return false;
    const std::string_view letter = letters.substr(start, at - start);
    bytes.clear();
    if (!encodeFromUtf8(*written, letter, &bytes).ok ||
        decodeToUtf8(*shown, bytes) != letter) {
      return false;
    }
  }
  return true;
}

std::string_view charsetLanguages(unsigned charsetValue) {
  const auto* found = std::find_if(
      kGroups.begin(), kGroups.end(),
      [&](const Group& group) { return group.charset == charsetValue; });
  return found == kGroups.end() ? std::string_view() : found->languages;
}

}  // namespace parlavox
