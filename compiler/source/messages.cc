#include "compiler/source/messages.h"

#include "compiler/encodings/charsets.h"
#include "compiler/encodings/code_pages.h"
#include "compiler/encodings/languages.h"
#include "compiler/encodings/messages.h"
#include "compiler/encodings/utf16.h"
#include "compiler/format/messages.h"

namespace parlavox::messages {

std::string unmarkedUtf16(SourceEncoding encoding) {
  return "the file looks like " + encodingName(encoding) +
         " saved without a byte-order mark: save it again as UTF-16 with a "
         "byte-order mark (\"Unicode\" in Notepad), or as UTF-8";
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

}  // namespace parlavox::messages
