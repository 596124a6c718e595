#include "compiler/po/po_export.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "compiler/encodings/charsets.h"
#include "compiler/format/decimal.h"
#include "compiler/po/messages.h"
#include "compiler/reference_check.h"
#include "compiler/source/encoding_check.h"
#include "compiler/source/source_encoding.h"

namespace parlavox {

namespace {

// The texts of one table in UTF-8.
class Decoder {
 public:
  explicit Decoder(const ReadTable& read)
      : read_(read),
        page_(isUnicode(read.encoding) || read.table->size() == 0
                  ? nullptr
                  : codePageNamed((*read.table)[0])) {
    if (page_ != nullptr && !page_->doubleByte) byteForms_ = formsOf(*page_);
  }

  // `bytes` of the table in UTF-8, in `*text`: `bytes` itself where they
  // need no conversion, else `*scratch` holding them converted. False, with
  // the fault in *fault, where the code page would not give the same bytes
  // back; `what()` names the text in the fault.
  template <typename What>
  bool utf8(std::string_view bytes, const What& what, std::size_t line,
            std::string* scratch, std::string_view* text,
            CompileResult* fault) const {
    if (isUnicode(read_.encoding) || isAscii(bytes)) {
      *text = bytes;
      return true;
    }
    const std::string_view charset =
        read_.table->size() == 0 ? std::string_view() : (*read_.table)[0];
    if (page_ == nullptr) {
      *fault =
          CompileResult::failure(messages::poNoCodePage(what(), charset), line);
      return false;
    }
    if (byteForms_ ? !decodeByBytes(bytes, scratch)
                   : !decodeAndCompare(bytes, scratch)) {
      const Charset* named = charsetNamed(charset);
      *fault = CompileResult::failure(
          messages::poNotDecodable(what(), page_->name,
                                   named != nullptr ? named->value : 0),
          line);
      return false;
    }
    *text = *scratch;
    return true;
  }

 private:
  // A byte above ASCII of a single-byte page in UTF-8; no bytes where the
  // page does not give the byte back from its character.
  struct ByteForm {
    std::array<char, 3> utf8{};
    std::uint8_t size = 0;
  };
  using ByteForms = std::array<ByteForm, 128>;

  // A single-byte page converts each byte on its own, so that a text comes
  // back byte for byte exactly when each of its bytes does.
  static std::optional<ByteForms> formsOf(const CodePage& page) {
    ByteForms forms;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
      const std::string one(1, static_cast<char>(byte));
      const std::string utf8 = decodeToUtf8(page, one);
      std::string back;
      if (utf8.size() > forms[0].utf8.size()) return std::nullopt;
      if (!encodeFromUtf8(page, utf8, &back).ok || back != one) continue;
      ByteForm& form = forms[byte - 0x80];
      std::copy(utf8.begin(), utf8.end(), form.utf8.begin());
      form.size = static_cast<std::uint8_t>(utf8.size());
    }
    return forms;
  }

  bool decodeByBytes(std::string_view bytes, std::string* out) const {
    out->clear();
    std::size_t run = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
      const auto byte = static_cast<unsigned char>(bytes[at]);
      if (byte < 0x80) continue;
      const ByteForm& form = (*byteForms_)[byte - 0x80];
      if (form.size == 0) return false;
      out->append(bytes.substr(run, at - run));
      out->append(form.utf8.data(), form.size);
      run = at + 1;
    }
    out->append(bytes.substr(run));
    return true;
  }

  bool decodeAndCompare(std::string_view bytes, std::string* out) const {
    *out = decodeToUtf8(*page_, bytes);
    std::string back;
    return encodeFromUtf8(*page_, *out, &back).ok && back == bytes;
  }

  const ReadTable& read_;
  const CodePage* page_;
  std::optional<ByteForms> byteForms_;
};

// The bytes a PO string writes with an escape: control bytes, '"', '\\'.
constexpr std::array<bool, 256> kEscaped = [] {
  std::array<bool, 256> escaped{};
  for (unsigned c = 0; c < 0x20; ++c) escaped[c] = true;
  escaped[0x7F] = escaped['"'] = escaped['\\'] = true;
  return escaped;
}();

// Appends `text` in quotes, with gettext's escapes, to `*out`.
void appendQuoted(std::string* out, std::string_view text) {
  out->push_back('"');
  // Most of a text needs no escape: it is copied in runs.
  while (!text.empty()) {
    std::size_t run = 0;
    while (run < text.size() &&
           !kEscaped[static_cast<unsigned char>(text[run])]) {
      ++run;
    }
    out->append(text.substr(0, run));
    if (run == text.size()) break;
    const char c = text[run];
    switch (c) {
      case '"':
        *out += "\\\"";
        break;
      case '\\':
        *out += "\\\\";
        break;
      case '\n':
        *out += "\\n";
        break;
      case '\t':
        *out += "\\t";
        break;
      case '\r':
        *out += "\\r";
        break;
      case '\a':
        *out += "\\a";
        break;
      case '\b':
        *out += "\\b";
        break;
      case '\f':
        *out += "\\f";
        break;
      case '\v':
        *out += "\\v";
        break;
      default: {
        char octal[5];
        std::snprintf(octal, sizeof octal, "\\%03o",
                      static_cast<unsigned>(static_cast<unsigned char>(c)));
        *out += octal;
      }
    }
    text.remove_prefix(run + 1);
  }
  out->push_back('"');
}

void appendString(std::string* out, std::string_view keyword,
                  std::string_view text) {
  *out += keyword;
  *out += ' ';
  appendQuoted(out, text);
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

// The PO text is handed on in parts of about this size.
constexpr std::size_t kPartSize = std::size_t{64} << 10;

}  // namespace

std::string poQuoted(std::string_view text) {
  std::string out;
  appendQuoted(&out, text);
  return out;
}

PoExport exportPo(const ReadTable& reference, std::string_view referenceName,
                  const ReadTable& translation, const Language* language) {
  std::string text;
  PoExport result = exportPo(reference, referenceName, translation, language,
                             [&](std::string_view part) { text.append(part); });
  result.text = std::move(text);
  return result;
}

PoExport exportPo(const ReadTable& reference, std::string_view referenceName,
                  const ReadTable& translation, const Language* language,
                  const PoSink& sink) {
  PoExport result;
  const EntryTable& ref = *reference.table;
  const EntryTable* own = translation.table;
  std::string out;
  out.reserve(2 * kPartSize);

  std::vector<std::size_t> slots(ref.size() > 0 ? ref.size() - 1 : 0);
  for (std::size_t i = 0; i < slots.size(); ++i) slots[i] = i + 1;
  const std::vector<std::size_t> refLines = ref.physicalLines(slots);

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
    const std::string_view value = own->size() > 0 ? (*own)[0] : "";
    std::string scratch;
    std::string_view charset;
    if (!ownText->utf8(
            value, [] { return std::string("the Charset"); },
            own->size() > 0 ? own->physicalLine(0) : 0, &scratch, &charset,
            &result.result)) {
      return result;
    }
    out +=
        poQuoted("X-Parlavox-Charset: " + std::string(charset) + "\n") + '\n';
  }

  // The text, or comment, `bytes` of `slot` in UTF-8 in `*text`; false on
  // a fault.
  const auto decode = [&](bool inReference, std::string_view bytes,
                          std::size_t slot, bool comment, std::string* scratch,
                          std::string_view* text) {
    const auto what = [slot, comment] {
      return comment ? "the comment of " + lineNumberText(slot)
                     : lineNumberText(slot);
    };
    const std::size_t line = inReference ? refLines[slot - 1] : 0;
    if ((inReference ? refText : *ownText)
            .utf8(bytes, what, line, scratch, text, &result.result)) {
      return true;
    }
    // The translation's lines are counted only for its fault.
    if (!inReference) {
      result.result = CompileResult::failure(
          std::string(result.result.message()), own->physicalLine(slot));
    }
    result.inReference = inReference;
    return false;
  };

  std::string scratches[4];
  const std::size_t highest = std::max(ref.size(), own ? own->size() : 0);
  for (std::size_t slot = 1; slot < highest; ++slot) {
    const bool inRef = slot < ref.size();
    const bool translated =
        own != nullptr && slot < own->size() && !(*own)[slot].empty();
    if (!inRef && !translated) continue;
    std::string_view str;
    std::string_view ownComment;
    if (translated &&
        (!decode(false, (*own)[slot], slot, false, &scratches[0], &str) ||
         !decode(false, own->comment(slot), slot, true, &scratches[1],
                 &ownComment))) {
      return result;
    }
    std::string_view id = str;
    std::string_view refComment;
    if (inRef && (!decode(true, ref[slot], slot, false, &scratches[2], &id) ||
                  !decode(true, ref.comment(slot), slot, true, &scratches[3],
                          &refComment))) {
      return result;
    }

    out += '\n';
    if (!ownComment.empty()) {
      out += "# ";
      out += ownComment;
      out += '\n';
    }
    if (inRef) {
      if (!refComment.empty()) {
        out += "#. ";
        out += refComment;
        out += '\n';
      }
      out += "#: ";
      out += referenceName;
      out += ':';
      appendDecimal(&out, refLines[slot - 1]);
      out += '\n';
    } else {
      out += "#. not in ";
      out += referenceName;
      out += ": msgid is the translation's own text\n";
    }
    if (hasPlaceholder(id)) out += "#, qt-format\n";
    out += "msgctxt \"";
    appendDecimal(&out, slot - 1);
    out += "\"\n";
    appendString(&out, "msgid", id);
    appendString(&out, "msgstr", str);
    ++result.entries;
    if (translated) ++result.translated;
    if (out.size() >= kPartSize) {
      sink(out);
      out.clear();
    }
  }
  sink(out);
  return result;
}

}  // namespace parlavox
