#include "cli/encoding_text.h"

#include "compiler/compile.h"

namespace parlavox {

namespace {

// "0x81".
std::string hexByte(unsigned char byte) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string hex = "0x";
  hex += kDigits[byte >> 4];
  hex += kDigits[byte & 0x0F];
  return hex;
}

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

std::string utf8Text(const EncodingFinding& finding) {
  std::string text = "the file is saved as UTF-8, but ";
  if (finding.charsetText.empty()) {
    text += "without a Charset line it is read in ";
  } else {
    text += "Charset " + finding.charsetText + " expects ";
  }
  return text + codePageOf(*finding.charset) + ": save it in that code page";
}

}  // namespace

std::string describeEncodingFinding(const EncodingFinding& finding) {
  switch (finding.kind) {
    case EncodingFinding::Kind::kUnknownCharset:
      return "Charset \"" + finding.charsetText +
             "\" names no Windows character set: write its number, for "
             "example 0 (ANSI), 204 (Cyrillic) or 238 (Central European)";
    case EncodingFinding::Kind::kUtf8Text:
      return utf8Text(finding);
    case EncodingFinding::Kind::kUndefinedByte:
      return "byte " + hexByte(finding.byte) + " is no character of " +
             codePageOf(*finding.charset) +
             ": retype it, or save the file in that code page";
    case EncodingFinding::Kind::kControlCharacter:
      return "the text holds control character " + hexByte(finding.byte) +
             ", which the application cannot show: delete it";
  }
  return {};
}

std::string byteOrderMarkNote(ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::kNone:
      return {};
    case ByteOrderMark::kUtf8:
      return "the file starts with a UTF-8 byte-order mark; save it without "
             "one";
    case ByteOrderMark::kUtf16:
      return "the file is saved as UTF-16; save it in the code page of its "
             "Charset";
  }
  return {};
}

std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const EntryTable& table) {
  return warnEncoding(err, source, checkEncoding(table));
}

std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const std::vector<EncodingFinding>& findings) {
  for (const EncodingFinding& finding : findings) {
    err << source << ':' << finding.physicalLine
        << ": warning: " << describeEncodingFinding(finding) << '\n';
  }
  return findings.size();
}

void noteByteOrderMark(std::ostream& err, const std::string& source,
                       const std::filesystem::path& folder,
                       std::string_view name) {
  constexpr std::size_t kLongestMark = 3;
  const std::string note = byteOrderMarkNote(
      byteOrderMarkOf(loadSourceStart(folder, name, kLongestMark)));
  if (!note.empty()) err << source << ":1: note: " << note << '\n';
}

}  // namespace parlavox
