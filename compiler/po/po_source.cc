#include "compiler/po/po_source.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>

#include "compiler/encodings/languages.h"
#include "compiler/po/messages.h"
#include "compiler/source/source_encoding.h"

namespace parlavox {

namespace {

// The line number `context` names: decimal digits, with no leading zero,
// few enough to fit.
std::optional<std::uint64_t> lineNumberOf(std::string_view context) {
  constexpr std::size_t kMaxDigits = 18;
  if (context.empty() || context.size() > kMaxDigits) return std::nullopt;
  if (context.size() > 1 && context[0] == '0') return std::nullopt;
  std::uint64_t value = 0;
  for (char c : context) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

// Why `text` cannot stand as a text of a language source; empty when it can.
std::string unfitText(std::string_view text) {
  if (text.find_first_of("\r\n") != std::string_view::npos) {
    return "the translation holds a line break, which a language source "
           "cannot hold";
  }
  if (text.find('^') != std::string_view::npos) {
    return "the translation holds \"^\", which breaks the line in a language "
           "source";
  }
  // As the compile finds a comment: a "//" that is not the "//" of "://".
  for (std::size_t at = text.find("//"); at != std::string_view::npos;
       at = text.find("//", at + 1)) {
    const bool address =
        (at >= 1 && text[at - 1] == ':') ||
        (at >= 2 && text[at - 2] == ':' && text[at - 1] == '/');
    if (!address) {
      return "the translation holds \"//\", which starts a comment in a "
             "language source (only \"://\" may stand in a text)";
    }
  }
  if (text.front() == ' ') {
    return "the translation begins with a space, which a language source "
           "drops";
  }
  if (text.back() == ' ') {
    return "the translation ends with a space, which a language source drops";
  }
  return {};
}

// Why the translator comment `comment` cannot stand in a language source;
// empty when it can. A carriage return would end the source's line there
// and make what follows it a line of its own.
std::string unfitComment(std::string_view comment) {
  if (comment.find('\r') != std::string_view::npos) {
    return "the translator comment holds a line break, which a language "
           "source cannot hold";
  }
  if (comment.find('^') != std::string_view::npos) {
    return "the translator comment holds \"^\", which breaks the line in a "
           "language source";
  }
  return {};
}

struct Line {
  std::uint64_t number;
  std::size_t poLine;
  std::string_view text;
  std::string comment;
};

void appendLine(std::string* out, const Line& line) {
  *out += std::to_string(line.number);
  *out += " | ";
  *out += line.text;
  if (!line.comment.empty()) {
    *out += " // ";
    *out += line.comment;
  }
}

}  // namespace

PoSource sourceFromPo(const PoCatalog& catalog, PoLayout layout) {
  PoSource source;
  const std::optional<std::string> charset =
      poHeaderField(catalog.header, "X-Parlavox-Charset");
  if (charset) {
    if (!charset->empty() &&
        !std::all_of(charset->begin(), charset->end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
      source.result = CompileResult::failure(messages::poBadCharset(*charset),
                                             catalog.headerLine);
      return source;
    }
    source.charset = *charset;
  } else if (const std::optional<std::string> iso =
                 poHeaderField(catalog.header, "Language")) {
    for (const Language& language : knownLanguages()) {
      if (language.iso == *iso) {
        source.charset = std::to_string(language.charset);
        break;
      }
    }
  }

  for (std::size_t line : catalog.obsoleteLines) {
    source.warnings.push_back({line, messages::poObsolete()});
  }

  std::vector<Line> lines;
  lines.reserve(catalog.entries.size());
  std::unordered_map<std::uint64_t, std::size_t> firstLines;
  for (const PoEntry& entry : catalog.entries) {
    const std::string name = messages::poEntryName(
        entry.context ? &*entry.context : nullptr, entry.id);
    if (!entry.context) {
      source.result =
          CompileResult::failure(messages::poNoContext(entry.id), entry.line);
      return source;
    }
    const std::optional<std::uint64_t> number = lineNumberOf(*entry.context);
    if (!number) {
      source.result = CompileResult::failure(
          messages::poNoLineNumber(*entry.context), entry.line);
      return source;
    }
    if (entry.plural) {
      source.result =
          CompileResult::failure(messages::poPlural(name), entry.line);
      return source;
    }
    const auto [first, added] = firstLines.emplace(*number, entry.line);
    if (!added) {
      source.result = CompileResult::failure(
          messages::poDuplicate(name, first->second), entry.line);
      return source;
    }
    if (entry.str.empty() || entry.fuzzy) continue;
    if (std::string why = unfitText(entry.str); !why.empty()) {
      source.result = CompileResult::failure(messages::poUnfit(name, why),
                                             entry.msgstrLine);
      return source;
    }
    std::string comment;
    for (const std::string& part : entry.translatorComments) {
      if (part.empty()) continue;
      if (!comment.empty()) comment += ' ';
      comment += part;
    }
    if (std::string why = unfitComment(comment); !why.empty()) {
      source.result =
          CompileResult::failure(messages::poUnfit(name, why), entry.line);
      return source;
    }
    lines.push_back({*number, entry.msgstrLine, entry.str, std::move(comment)});
  }

  source.strings = lines.size();
  std::string& out = source.text;
  if (layout == PoLayout::kNumberOrder) {
    const auto byNumber = [](const Line& a, const Line& b) {
      return a.number < b.number;
    };
    // An export, and most files made of one, are in number order already.
    if (!std::is_sorted(lines.begin(), lines.end(), byNumber)) {
      std::stable_sort(lines.begin(), lines.end(), byNumber);
    }
    if (!source.charset.empty()) out += "Charset | " + source.charset + "\r\n";
    for (const Line& line : lines) {
      appendLine(&out, line);
      out += "\r\n";
    }
    return source;
  }
  // Empty lines, which a source passes over, keep each entry on its line.
  std::size_t at = 1;
  const auto moveTo = [&](std::size_t line) {
    if (line > at) out.append(line - at, '\n');
    at = std::max(at, line);
  };
  // The header may stand after entries too: its Charset line is then a late
  // one, on the header's line as well.
  bool charsetDue = !source.charset.empty() && catalog.headerLine != 0;
  const auto putCharset = [&] {
    moveTo(catalog.headerLine);
    out += "Charset | " + source.charset;
    charsetDue = false;
  };
  for (const Line& line : lines) {
    if (charsetDue && catalog.headerLine < line.poLine) putCharset();
    moveTo(line.poLine);
    appendLine(&out, line);
  }
  if (charsetDue) putCharset();
  out += '\n';
  return source;
}

EncodedSource encodeSource(std::string utf8, std::string_view charset) {
  EncodedSource encoded;
  if (const CodePage* page = codePageNamed(charset)) {
    std::string bytes;
    const bool fits = encodeFromUtf8(*page, utf8, &bytes).ok;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x80;
    });
    // Bytes that are UTF-8 as well would be read as UTF-8.
    if (fits && (ascii || !isUtf8(bytes))) {
      encoded.bytes = std::move(bytes);
      encoded.page = page;
      return encoded;
    }
  }
  encoded.bytes = std::move(utf8);
  return encoded;
}

}  // namespace parlavox
