#include "cli/encoding_text.h"

#include "compiler/compile.h"
#include "compiler/encodings/code_pages.h"
#include "compiler/source/messages.h"

namespace parlavox {

TableText tableTextOf(const EntryTable& table, SourceEncoding encoding) {
  if (!isUnicode(encoding)) return TableText::kBytes;
  return codePageOfTable(table, encoding) != nullptr ? TableText::kConverted
                                                     : TableText::kUtf8AsRead;
}

std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const EntryTable& table, SourceEncoding encoding,
                         const Language* language) {
  return warnEncoding(
      err, source, checkEncoding(table, tableTextOf(table, encoding), language),
      encoding);
}

std::size_t warnEncoding(std::ostream& err, const std::string& source,
                         const std::vector<EncodingFinding>& findings,
                         SourceEncoding encoding) {
  for (const EncodingFinding& finding : findings) {
    err << source << ':';
    if (finding.physicalLine != 0) err << finding.physicalLine << ':';
    err << " warning: " << messages::encodingFinding(finding, encoding) << '\n';
  }
  return findings.size();
}

void noteByteOrderMark(std::ostream& err, const std::string& source,
                       const SourceFile& file) {
  if (file.mark == ByteOrderMark::kNone) return;
  err << source << ":1: note: " << messages::byteOrderMarkNote(file.encoding)
      << '\n';
}

std::string readingText(const SourceFile& file, const EntryTable& table) {
  const std::string_view charsetText = table.size() == 0 ? "" : table[0];
  const std::string charset = charsetText.empty()
                                  ? "no Charset line"
                                  : "Charset " + std::string(charsetText);
  std::string text = "read as " + messages::encodingName(file.encoding) + ", ";
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
