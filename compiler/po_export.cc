#include "compiler/po_export.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "compiler/charsets.h"
#include "compiler/encoding_check.h"
#include "compiler/po_messages.h"
#include "compiler/reference_check.h"
#include "compiler/source_encoding.h"

namespace parlavox {

namespace {

// The texts of one table in UTF-8.
class Decoder {
 public:
  explicit Decoder(const ReadTable& read)
      : read_(read),
        page_(isUnicode(read.encoding) || read.table->size() == 0
                  ? nullptr
                  : codePageNamed((*read.table)[0])) {}

  // `bytes` of the table in UTF-8; nothing, with the fault in *fault, where
  // the code page would not give the same bytes back. `what` names the text
  // in the fault.
  std::optional<std::string> utf8(std::string_view bytes, std::string_view what,
                                  std::size_t line,
                                  CompileResult* fault) const {
    if (isUnicode(read_.encoding) || isAscii(bytes)) return std::string(bytes);
    const std::string_view charset =
        read_.table->size() == 0 ? std::string_view() : (*read_.table)[0];
    if (page_ == nullptr) {
      *fault =
          CompileResult::failure(messages::poNoCodePage(what, charset), line);
      return std::nullopt;
    }
    std::string text = decodeToUtf8(*page_, bytes);
    std::string back;
    if (!encodeFromUtf8(*page_, text, &back).ok || back != bytes) {
      const Charset* named = charsetNamed(charset);
      *fault = CompileResult::failure(
          messages::poNotDecodable(what, page_->name,
                                   named != nullptr ? named->value : 0),
          line);
      return std::nullopt;
    }
    return text;
  }

 private:
  const ReadTable& read_;
  const CodePage* page_;
};

void appendString(std::string* out, std::string_view keyword,
                  std::string_view text) {
  *out += keyword;
  *out += ' ';
  *out += poQuoted(text);
  *out += '\n';
}

bool hasPlaceholder(std::string_view text) {
  const PlaceholderCounts counts = countPlaceholders(text);
  return std::any_of(counts.begin(), counts.end(),
                     [](std::uint32_t n) { return n != 0; });
}

std::string lineNumberText(std::size_t slot) {
  return "line number " + std::to_string(slot - 1);
}

}  // namespace

std::string poQuoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\a':
        out += "\\a";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\v':
        out += "\\v";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char octal[5];
          std::snprintf(octal, sizeof octal, "\\%03o",
                        static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += octal;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

PoExport exportPo(const ReadTable& reference, std::string_view referenceName,
                  const ReadTable& translation, const Language* language) {
  PoExport result;
  const EntryTable& ref = *reference.table;
  const EntryTable* own = translation.table;
  std::string& out = result.text;

  std::vector<std::size_t> slots(ref.size() > 0 ? ref.size() - 1 : 0);
  for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = i + 1;
  const std::vector<std::size_t> refLines = ref.physicalLines(slots);
  std::vector<std::size_t> ownLines;
  if (own != nullptr) {
    std::vector<std::size_t> all;
    for (std::size_t slot = 0; slot < own->size(); ++slot) all.push_back(slot);
    ownLines = own->physicalLines(all);
  }

  const Decoder refText(reference);
  std::optional<Decoder> ownText;
  if (own != nullptr) ownText.emplace(translation);

  out += "msgid \"\"\nmsgstr \"\"\n";
  out += "\"Project-Id-Version: Parlavox\\n\"\n";
  out += "\"PO-Revision-Date: \\n\"\n";
  out += "\"Last-Translator: \\n\"\n";
  out += "\"Language-Team: \\n\"\n";
  std::string iso;
  if (own != nullptr && language != nullptr) iso = language->iso;
  out += poQuoted("Language: " + iso + "\n") + '\n';
  out += "\"MIME-Version: 1.0\\n\"\n";
  out += "\"Content-Type: text/plain; charset=UTF-8\\n\"\n";
  out += "\"Content-Transfer-Encoding: 8bit\\n\"\n";
  if (own != nullptr) {
    CompileResult fault = CompileResult::success();
    const std::string_view value = own->size() > 0 ? (*own)[0] : "";
    const std::optional<std::string> charset = ownText->utf8(
        value, "the Charset", own->size() > 0 ? ownLines[0] : 0, &fault);
    if (!charset) {
      result.result = fault;
      return result;
    }
    out += poQuoted("X-Parlavox-Charset: " + *charset + "\n") + '\n';
  }

  // The text, or comment, `bytes` of `slot` in UTF-8; nothing on a fault.
  const auto decode = [&](bool inReference, std::string_view bytes,
                          std::size_t slot,
                          bool comment) -> std::optional<std::string> {
    CompileResult fault = CompileResult::success();
    std::string what = comment ? "the comment of " + lineNumberText(slot)
                               : lineNumberText(slot);
    const std::size_t line = inReference ? refLines[slot - 1] : ownLines[slot];
    std::optional<std::string> text =
        (inReference ? refText : *ownText).utf8(bytes, what, line, &fault);
    if (!text) {
      result.result = fault;
      result.inReference = inReference;
    }
    return text;
  };

  const std::size_t highest = std::max(ref.size(), own ? own->size() : 0);
  for (std::size_t slot = 1; slot < highest; ++slot) {
    const bool inRef = slot < ref.size();
    const bool translated =
        own != nullptr && slot < own->size() && !(*own)[slot].empty();
    if (!inRef && !translated) continue;
    std::optional<std::string> str;
    std::optional<std::string> ownComment;
    if (translated) {
      str = decode(false, (*own)[slot], slot, false);
      if (!str) return result;
      ownComment = decode(false, own->comment(slot), slot, true);
      if (!ownComment) return result;
    }
    std::optional<std::string> id;
    std::optional<std::string> refComment;
    if (inRef) {
      id = decode(true, ref[slot], slot, false);
      if (!id) return result;
      refComment = decode(true, ref.comment(slot), slot, true);
      if (!refComment) return result;
    } else {
      id = str;
    }

    out += '\n';
    if (ownComment && !ownComment->empty()) out += "# " + *ownComment + '\n';
    if (inRef) {
      if (!refComment->empty()) out += "#. " + *refComment + '\n';
      out += "#: ";
      out += referenceName;
      out += ':' + std::to_string(refLines[slot - 1]) + '\n';
    } else {
      out += "#. not in ";
      out += referenceName;
      out += ": msgid is the translation's own text\n";
    }
    if (hasPlaceholder(*id)) out += "#, qt-format\n";
    appendString(&out, "msgctxt", std::to_string(slot - 1));
    appendString(&out, "msgid", *id);
    appendString(&out, "msgstr", str ? *str : std::string());
    ++result.entries;
    if (str) ++result.translated;
  }
  return result;
}

}  // namespace parlavox
