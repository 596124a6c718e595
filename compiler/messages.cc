#include "compiler/messages.h"

#include "compiler/encodings/charsets.h"
#include "compiler/encodings/code_pages.h"
#include "compiler/encodings/languages.h"
#include "compiler/encodings/utf16.h"
#include "compiler/reference_check.h"
#include "compiler/source/encoding_check.h"
#include "compiler/source/source_file.h"

namespace parlavox::messages {

namespace {

// "0x81".
std::string hexByte(unsigned char byte) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string hex = "0x";
  hex += kDigits[byte >> 4];
  hex += kDigits[byte & 0x0F];
  return hex;
}

bool isControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

}  // namespace

std::string visibleControls(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    if (isControlByte(c)) {
      shown += '<' + hexByte(static_cast<unsigned char>(c)) + '>';
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string delimiterMissing(std::string_view piece, std::uint64_t pieceIndex) {
  std::string message = "string delimiter | missing in line \"";
  message += visibleControls(piece);
  message += "\" (";
  message += std::to_string(pieceIndex);
  message += ")";
  return message;
}

std::string doubleEntry(std::string_view numberText) {
  return "double entry for line number " + visibleControls(numberText);
}

std::string entryMissing(std::uint64_t lineNumber) {
  return "entry for line number " + std::to_string(lineNumber) + " missing";
}

std::string invalidLineNumber(std::string_view numberText) {
  return "invalid line number " + visibleControls(numberText);
}

std::string sourceNotFound(std::string_view name) {
  return "File lang" + std::string(name) + ".txt not found in this directory";
}

std::string sourceEmpty() { return "Lang.txt is empty. Not compiled"; }

namespace {

// "TEXT" or "TEXT: CAUSE".
std::string withCause(std::string text, FileCause cause) {
  const std::string why = fileCause(cause);
  if (!why.empty()) text += ": " + why;
  return text;
}

}  // namespace

std::string fileCause(FileCause cause) {
  switch (cause) {
    case FileCause::kReadOnly:
      return "the file is read-only";
    case FileCause::kHeldOpen:
      return "another program has the file open";
    case FileCause::kPermissionDenied:
      return "permission denied";
    case FileCause::kNoSpace:
      return "no space left on the device";
    case FileCause::kNone:
      break;
  }
  return "";
}

std::string sourceUnreadable(std::string_view name, FileCause cause) {
  return withCause("File lang" + std::string(name) + ".txt could not be read",
                   cause);
}

std::string outputNotAFile(std::string_view name, NodeKind node) {
  std::string what;
  switch (node) {
    case NodeKind::kFolder:
      what = "a folder";
      break;
    case NodeKind::kDevice:
      what = "a device";
      break;
    case NodeKind::kPipe:
      what = "a pipe";
      break;
    case NodeKind::kSocket:
      what = "a socket";
      break;
    case NodeKind::kFile:
    case NodeKind::kOther:
      what = "something else";
      break;
  }
  return "File Lang" + std::string(name) + ".lng could not be written: it is " +
         what + ", not a file";
}

std::string cutOffLinesNotFinished(FileCause cause) {
  return withCause(
      "ends in lines that a stopped update left cut off, and they could not "
      "be finished",
      cause);
}

std::string sourceCutOff(std::string_view name, FileCause cause) {
  return "File lang" + std::string(name) + ".txt " +
         cutOffLinesNotFinished(cause);
}

std::string outputNotWritten(std::string_view name, FileCause cause) {
  return withCause(
      "File Lang" + std::string(name) + ".lng could not be written", cause);
}

std::string nameNotAllowed() {
  return "Language name may not contain any of \\ / : * ? \" < > |";
}

namespace {

// "U+0151": at least four hexadecimal digits.
std::string codePointName(char32_t code) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string digits;
  for (; code != 0 || digits.size() < 4; code >>= 4) {
    digits.insert(digits.begin(), kDigits[code & 0xF]);
  }
  return "U+" + digits;
}

}  // namespace

std::string loneSurrogate(char32_t unit) {
  return "the file is saved as UTF-16, but this line holds half of a "
         "character (" +
         codePointName(unit) + " without its other half)";
}

std::string unmarkedUtf16(SourceEncoding encoding) {
  return "the file looks like " + encodingName(encoding) +
         " saved without a byte-order mark: save it again as UTF-16 with a "
         "byte-order mark (\"Unicode\" in Notepad), or as UTF-8";
}

std::string halfUtf16Unit() {
  return "the file is saved as UTF-16, but it ends in half a character (an "
         "odd number of bytes)";
}

std::string unmappableCharacter(char32_t character, std::uint64_t lineNumber,
                                std::string_view codePage,
                                unsigned charsetValue) {
  std::string shown;
  appendUtf8(shown, character);
  return "character \"" + shown + "\" (" + codePointName(character) +
         ") in line number " + std::to_string(lineNumber) +
         " has no place in " + std::string(codePage) +
         ", the code page of Charset " + std::to_string(charsetValue);
}

namespace {

// "Windows-1250 (Central European)"; a code page that is the system's is
// named without the character set's name, which would only repeat it.
std::string codePageOf(const Charset& charset) {
  std::string text(charset.codePage);
  if (charset.reading != Charset::Reading::kSystemDefault) {
    text += " (";
    text += charset.name;
    text += ')';
  }
  return text;
}

std::string utf8Text(const EncodingFinding& finding, SourceEncoding encoding) {
  std::string text = encoding == SourceEncoding::kUtf16Le ||
                             encoding == SourceEncoding::kUtf16Be
                         ? "the file is saved as UTF-16 and written as UTF-8, "
                           "but "
                         : "the file is saved as UTF-8, but ";
  if (finding.charsetText.empty()) {
    text += "without a Charset line it is read in ";
  } else {
    text += "Charset " + finding.charsetText + " expects ";
  }
  return text + codePageOf(*finding.charset) + ": save it in that code page";
}

// "Charset 0 is Western European, but Polish is written in Charset 238
// (Central European)".
std::string languageCharset(const EncodingFinding& finding) {
  std::string text;
  if (finding.charsetText.empty()) {
    text = "without a Charset line the file is read as " +
           std::string(charsetLanguages(0));
  } else if (finding.charset == nullptr) {
    text = "Charset " + visibleControls(finding.charsetText) +
           " names no character set";
  } else if (codePageOfCharset(finding.charset->value) == nullptr) {
    text = "Charset " + finding.charsetText + " is " +
           std::string(finding.charset->codePage);
  } else {
    text = "Charset " + finding.charsetText + " is " +
           std::string(charsetLanguages(finding.charset->value));
  }
  const unsigned own = finding.language->charset;
  return text + ", but " + std::string(finding.language->english) +
         " is written in Charset " + std::to_string(own) + " (" +
         std::string(charsetLanguages(own)) + ")";
}

// "line number 3" or "line numbers 3 to 7".
std::string lineNumbers(const Finding& finding) {
  if (finding.lineNumber == finding.lastLineNumber) {
    return "line number " + std::to_string(finding.lineNumber);
  }
  return "line numbers " + std::to_string(finding.lineNumber) + " to " +
         std::to_string(finding.lastLineNumber);
}

bool isRange(const Finding& finding) {
  return finding.lineNumber != finding.lastLineNumber;
}

// "%1 %2", each placeholder as often as it is used; "no placeholder" when
// there is none.
std::string placeholderList(const PlaceholderCounts& counts) {
  std::string list;
  for (std::size_t digit = 0; digit < counts.size(); ++digit) {
    for (std::uint32_t n = 0; n < counts[digit]; ++n) {
      if (!list.empty()) list += ' ';
      list += '%';
      list += static_cast<char>('1' + digit);
    }
  }
  return list.empty() ? "no placeholder" : list;
}

}  // namespace

std::string encodingFinding(const EncodingFinding& finding,
                            SourceEncoding encoding) {
  switch (finding.kind) {
    case EncodingFinding::Kind::kUnknownCharset:
      return "Charset \"" + visibleControls(finding.charsetText) +
             "\" names no Windows character set: write its number, for "
             "example 0 (ANSI), 204 (Cyrillic) or 238 (Central European)";
    case EncodingFinding::Kind::kLanguageCharset:
      return languageCharset(finding);
    case EncodingFinding::Kind::kUtf8Text:
      return utf8Text(finding, encoding);
    case EncodingFinding::Kind::kUndefinedByte:
      return "byte " + hexByte(finding.byte) + " is no character of " +
             codePageOf(*finding.charset) +
             ": retype it, or save the file in that code page";
    case EncodingFinding::Kind::kControlCharacter:
      return "the text holds control character " + hexByte(finding.byte) +
             ", which the application cannot show: delete it";
    case EncodingFinding::Kind::kUtf8ButForBytes:
      return "the file is UTF-8 but for byte " + hexByte(finding.byte) +
             ", so all of it is read as 8-bit text and its other letters "
             "come out garbled: retype the character, and save the file as "
             "UTF-8 once more";
  }
  return {};
}

std::string referenceFinding(const Finding& finding) {
  switch (finding.kind) {
    case Finding::Kind::kPlaceholders:
      return lineNumbers(finding) + " uses " +
             placeholderList(finding.translation) +
             " where the reference uses " + placeholderList(finding.reference);
    case Finding::Kind::kMissing:
      return lineNumbers(finding) + " of the reference " +
             (isRange(finding) ? "are" : "is") + " missing";
    case Finding::Kind::kExtra:
      return lineNumbers(finding) + (isRange(finding) ? " are" : " is") +
             " not in the reference, which ends at " +
             std::to_string(finding.lineNumber - 1);
    case Finding::Kind::kChanged:
      return lineNumbers(finding) + " changed in the reference from \"" +
             std::string(finding.before) + "\" to \"" +
             std::string(finding.after) + "\"";
  }
  return {};
}

std::string fittingCharset(unsigned charsetValue) {
  return "; every text fits Charset " + std::to_string(charsetValue) + " (" +
         std::string(charsetLanguages(charsetValue)) + ")";
}

std::string encodingName(SourceEncoding encoding) {
  switch (encoding) {
    case SourceEncoding::kEightBit:
      return "8-bit text";
    case SourceEncoding::kUtf8:
      return "UTF-8";
    case SourceEncoding::kUtf16Le:
      return "UTF-16 LE";
    case SourceEncoding::kUtf16Be:
      return "UTF-16 BE";
  }
  return {};
}

std::string byteOrderMarkNote(SourceEncoding encoding) {
  return "the file was read as " + encodingName(encoding) +
         " by the byte-order mark it starts with";
}

namespace {

std::string inQuotes(std::string_view text) {
  std::string out = "\"";
  out += text;
  out += '"';
  return out;
}

}  // namespace

std::string poUnterminatedString() { return "the string has no closing quote"; }

std::string poBadEscape(std::string_view sequence) {
  return "unknown escape sequence " + inQuotes(sequence);
}

std::string poTextAfterString() { return "text after the closing quote"; }

std::string poNoString(std::string_view keyword) {
  return inQuotes(keyword) + " is not followed by a string in quotes";
}

std::string poOutOfPlace(std::string_view keyword, std::string_view expected) {
  return inQuotes(keyword) + " out of place: " + std::string(expected) +
         " expected";
}

std::string poUnknownKeyword(std::string_view word) {
  return "unknown keyword " + inQuotes(word);
}

std::string poStrayString() { return "a string without a keyword before it"; }

std::string poNoMsgstr() { return "the entry ends without msgstr"; }

std::string poNotUtf8() { return "the text is not UTF-8"; }

std::string poCharset(std::string_view charset) {
  return "the file is in charset " + inQuotes(charset) +
         ", and only UTF-8 is read: convert it with msgconv --to-code=UTF-8";
}

std::string poNoLineNumber(std::string_view context) {
  return "msgctxt " + inQuotes(context) + " is no line number";
}

std::string poNoContext(std::string_view id) {
  return "msgid " + inQuotes(id) + " has no msgctxt with its line number";
}

std::string poPlural(std::string_view entry) {
  return std::string(entry) +
         " has plural forms (msgid_plural), which a language source cannot "
         "hold";
}

std::string poDuplicate(std::string_view entry, std::size_t firstLine) {
  return std::string(entry) + " is there twice, first on line " +
         std::to_string(firstLine);
}

std::string poUnfit(std::string_view entry, std::string_view reason) {
  return std::string(entry) + ": " + std::string(reason);
}

std::string poObsolete() { return "obsolete entry (#~) passed over"; }

std::string poBadCharset(std::string_view value) {
  return "X-Parlavox-Charset " + inQuotes(value) + " is no number";
}

std::string poEntryName(const std::string* context, std::string_view id) {
  if (context != nullptr) return "msgctxt " + inQuotes(*context);
  return "msgid " + inQuotes(id);
}

std::string poNotDecodable(std::string_view what, std::string_view codePage,
                           unsigned charsetValue) {
  return std::string(what) + " holds bytes that " + std::string(codePage) +
         ", the code page of Charset " + std::to_string(charsetValue) +
         ", has no characters for: a PO file could not give them back; "
         "retype them";
}

std::string poNoCodePage(std::string_view what, std::string_view charset) {
  std::string out(what);
  out += " holds bytes beyond ASCII, but ";
  out += charset.empty() ? std::string("without a Charset line the file")
                         : "Charset " + std::string(charset);
  out += " names no code page to read them in: save the source as UTF-8";
  return out;
}

std::string fileNotFound(std::string_view file) {
  return "File " + std::string(file) + " not found";
}

std::string fileNotRead(std::string_view file, std::string_view cause) {
  std::string out = "File " + std::string(file) + " could not be read";
  if (!cause.empty()) out += ": " + std::string(cause);
  return out;
}

std::string fileNotWritten(std::string_view file, std::string_view cause) {
  std::string out = "File " + std::string(file) + " could not be written";
  if (!cause.empty()) out += ": " + std::string(cause);
  return out;
}

std::string poExists(std::string_view file) {
  return std::string(file) + " is there already: give --force to replace it";
}

}  // namespace parlavox::messages
