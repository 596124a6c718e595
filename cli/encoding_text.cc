#include "cli/encoding_text.h"

#include "compiler/code_pages.h"
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

}  // namespace

std::string describeEncodingFinding(const EncodingFinding& finding,
                                    SourceEncoding encoding) {
  switch (finding.kind) {
    case EncodingFinding::Kind::kUnknownCharset:
      return "Charset \"" + finding.charsetText +
             "\" names no Windows character set: write its number, for "
             "example 0 (ANSI), 204 (Cyrillic) or 238 (Central European)";
    case EncodingFinding::Kind::kUtf8Text:
      return utf8Text(finding, encoding);
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

std::string byteOrderMarkNote(const SourceFile& file) {
  if (file.mark == ByteOrderMark::kNone) return {};
  return "the file was read as " + encodingName(file.encoding) +
         " by the byte-order mark it starts with";
}

TableText tableTextOf(const EntryTable& table, SourceEncoding encoding) {
  if (!isUnicode(encoding)) return TableText::kBytes;
  return codePageOfTable(table, encoding) != nullptr ? TableText::kConverted
                                                     : TableText::kUtf8AsRead;
}

std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const EntryTable& table, SourceEncoding encoding) {
  return warnEncoding(err, source,
                      checkEncoding(table, tableTextOf(table, encoding)),
                      encoding);
}

std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const std::vector<EncodingFinding>& findings,
                         SourceEncoding encoding) {
  for (const EncodingFinding& finding : findings) {
    err << source << ':' << finding.physicalLine
        << ": warning: " << describeEncodingFinding(finding, encoding) << '\n';
  }
  return findings.size();
}

void noteByteOrderMark(std::ostream& err, const std::string& source,
                       const SourceFile& file) {
  const std::string note = byteOrderMarkNote(file);
  if (!note.empty()) err << source << ":1: note: " << note << '\n';
}

std::string readingText(const SourceFile& file, const EntryTable& table) {
  const std::string_view charsetText = table.size() == 0 ? "" : table[0];
  const std::string charset = charsetText.empty()
                                  ? "no Charset line"
                                  : "Charset " + std::string(charsetText);
  std::string text = "read as " + encodingName(file.encoding) + ", ";
  if (const CodePage* page = codePageOfTable(table, file.encoding)) {
    return text + "written in " + std::string(page->name) + " (" + charset +
           ")";
  }
  if (file.encoding == SourceEncoding::kUtf16Le ||
      file.encoding == SourceEncoding::kUtf16Be) {
    return text + "written as UTF-8 (" + charset + ")";
  }
  return text + "written as read (" + charset + ")";
}

}  // namespace parlavox
