#include "compiler/source/charset_fit.h"

#include <string>

#include "compiler/encodings/code_pages.h"

namespace parlavox {

std::optional<unsigned> charsetHoldingAll(const EntryTable& table) {
  std::string scratch;
  for (const unsigned charset : kCharsetsInTableOrder) {
    const CodePage* page = codePageOfCharset(charset);
    if (page == nullptr) continue;
    bool holds = true;
    for (std::size_t slot = 1; holds && slot < table.size(); ++slot) {
      scratch.clear();
      holds = encodeFromUtf8(*page, table[slot], &scratch).ok;
    }
    if (holds) return charset;
  }
  return std::nullopt;
}

}  // namespace parlavox
