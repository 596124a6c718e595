#include "compiler/po/po_source.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <unordered_map>
#include <utility>

#include "compiler/encodings/languages.h"
#include "compiler/files/file_system.h"
#include "compiler/files/run_beside.h"
#include "compiler/format/decimal.h"
#include "compiler/po/byte_search.h"
#include "compiler/po/messages.h"
#include "compiler/source/encoding_check.h"
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
  // Most texts hold none of the bytes looked at below.
  if (firstOf<'\r', '\n', '^', '/'>(text, 0) == text.size() &&
      text.front() != ' ' && text.back() != ' ') {
    return {};
  }
  bool lineBreak = false;
  bool caret = false;
  bool comment = false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '\r' || c == '\n') {
      lineBreak = true;
    } else if (c == '^') {
      caret = true;
    } else if (c == '/' && at + 1 < text.size() && text[at + 1] == '/') {
      // As the compile finds a comment: a "//" that is not the "//" of "://".
      const bool address =
          (at >= 1 && text[at - 1] == ':') ||
          (at >= 2 && text[at - 2] == ':' && text[at - 1] == '/');
      if (!address) comment = true;
    }
  }
  if (lineBreak) {
    return "the translation holds a line break, which a language source "
           "cannot hold";
  }
  if (caret) {
    return "the translation holds \"^\", which breaks the line in a language "
           "source";
  }
  if (comment) {
    return "the translation holds \"//\", which starts a comment in a "
           "language source (only \"://\" may stand in a text)";
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
  if (firstOf<'\r', '^'>(comment, 0) == comment.size()) return {};
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

}  // namespace

void PoSourceMaker::header(const std::string& header, std::size_t line) {
  headerLine_ = line;
  const std::optional<std::string> charset =
      poHeaderField(header, "X-Parlavox-Charset");
  if (charset) {
    if (!charset->empty() &&
        !std::all_of(charset->begin(), charset->end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
      source_.result =
          CompileResult::failure(messages::poBadCharset(*charset), line);
      return;
    }
    source_.charset = *charset;
  } else if (const std::optional<std::string> iso =
                 poHeaderField(header, "Language")) {
    for (const Language& language : knownLanguages()) {
      if (language.iso == *iso) {
        source_.charset = std::to_string(language.charset);
        break;
      }
    }
  }
  if (source_.charset.empty()) return;
  if (layout_ == PoLayout::kPoLines) {
    charsetDue_ = true;
  } else if (source_.text.empty()) {
    putCharset();
  }
}

void PoSourceMaker::obsolete(std::size_t line) {
  source_.warnings.push_back({line, messages::poObsolete()});
}

void PoSourceMaker::fail(std::string message, std::size_t line) {
  entryFault_ = CompileResult::failure(std::move(message), line);
}

bool PoSourceMaker::seenBefore(std::uint64_t number, std::size_t line,
                               std::size_t* first) {
  // An export, and most files made of one, number their entries upwards:
  // a number above the last is new.
  if (rising_ && (numbers_.empty() || number > numbers_.back().first)) {
    numbers_.emplace_back(number, line);
    return false;
  }
  if (rising_) {
    rising_ = false;
    firstLines_.reserve(2 * numbers_.size());
    for (const auto& [seen, at] : numbers_) firstLines_.emplace(seen, at);
    numbers_ = {};
  }
  const auto [found, added] = firstLines_.emplace(number, line);
  *first = found->second;
  return !added;
}

void PoSourceMaker::entry(const PoEntry& entry) {
  if (!entryFault_.ok()) return;
  const auto name = [&] {
    return messages::poEntryName(entry.context ? &*entry.context : nullptr,
                                 entry.id);
  };
  if (!entry.context) return fail(messages::poNoContext(entry.id), entry.line);
  const std::optional<std::uint64_t> number = lineNumberOf(*entry.context);
  if (!number) {
    return fail(messages::poNoLineNumber(*entry.context), entry.line);
  }
  if (entry.plural) return fail(messages::poPlural(name()), entry.line);
  std::size_t firstLine = 0;
  if (seenBefore(*number, entry.line, &firstLine)) {
    return fail(messages::poDuplicate(name(), firstLine), entry.line);
  }
  if (entry.str.empty() || entry.fuzzy) return;
  if (std::string why = unfitText(entry.str); !why.empty()) {
    return fail(messages::poUnfit(name(), why), entry.msgstrLine);
  }
  comment_.clear();
  for (const std::string& part : entry.translatorComments) {
    if (part.empty()) continue;
    if (!comment_.empty()) comment_ += ' ';
    comment_ += part;
  }
  if (std::string why = unfitComment(comment_); !why.empty()) {
    return fail(messages::poUnfit(name(), why), entry.line);
  }
  ++source_.strings;
  std::string& out = source_.text;
  if (layout_ == PoLayout::kNumberOrder) {
    appendLine(*number, entry.str);
    out += "\r\n";
    return;
  }
  // The header may stand after entries too: its Charset line is then a late
  // one, on the header's line as well.
  if (charsetDue_ && headerLine_ < entry.msgstrLine) putCharset();
  moveTo(entry.msgstrLine);
  appendLine(*number, entry.str);
}

void PoSourceMaker::appendLine(std::uint64_t number, std::string_view text) {
  std::string& out = source_.text;
  appendDecimal(&out, number);
  out += " | ";
  out += text;
  if (!comment_.empty()) {
    out += " // ";
    out += comment_;
  }
}

void PoSourceMaker::putCharset() {
  if (layout_ == PoLayout::kPoLines) {
    moveTo(headerLine_);
    source_.text += charsetLine();
    charsetDue_ = false;
    return;
  }
  charsetFirst_ = source_.text.empty();
  source_.text += charsetLine() + "\r\n";
}

// Empty lines, which a source passes over, keep each entry on its line.
void PoSourceMaker::moveTo(std::size_t line) {
  if (line > at_) source_.text.append(line - at_, '\n');
  at_ = std::max(at_, line);
}

void PoSourceMaker::reserve(std::size_t bytes) {
  source_.text.reserve(bytes);
  os::adviseLargePages(source_.text.data(), source_.text.capacity());
}

bool PoSourceMaker::takeOn(PoSourceMaker& later, std::size_t linesBefore) {
  const bool clean = source_.result.ok() && entryFault_.ok() &&
                     later.source_.result.ok() && later.entryFault_.ok();
  if (!clean || later.headerLine_ != 0 || later.layout_ != layout_ ||
      !rising_ || !later.rising_) {
    return false;
  }
  if (!numbers_.empty() && !later.numbers_.empty() &&
      later.numbers_.front().first <= numbers_.back().first) {
    return false;
  }
  if (!later.source_.text.empty()) {
    if (layout_ == PoLayout::kPoLines) {
      // What the first of the later lines would have found due.
      if (charsetDue_) putCharset();
      moveTo(linesBefore + 1);
      at_ = later.at_ + linesBefore;
    }
    source_.text += later.source_.text;
  }
  numbers_.reserve(numbers_.size() + later.numbers_.size());
  for (const auto& [number, line] : later.numbers_) {
    numbers_.emplace_back(number, line + linesBefore);
  }
  for (const PoWarning& warning : later.source_.warnings) {
    source_.warnings.push_back({warning.line + linesBefore, warning.message});
  }
  source_.strings += later.source_.strings;
  return true;
}

PoSource PoSourceMaker::finish() {
  if (source_.result.ok() && !entryFault_.ok()) source_.result = entryFault_;
  if (!source_.result.ok()) {
    source_.text.clear();
    source_.strings = 0;
    return std::move(source_);
  }
  std::string& out = source_.text;
  if (layout_ == PoLayout::kPoLines) {
    if (charsetDue_) putCharset();
    out += '\n';
    return std::move(source_);
  }
  // The Charset line of a header after the entries, and entries out of
  // number order, come to their places here.
  const bool charsetFirst = source_.charset.empty() || charsetFirst_;
  // While every entry's number rose, the lines written are in order too.
  if (rising_ && charsetFirst) return std::move(source_);
  std::string_view lines = out;
  if (charsetFirst_) lines.remove_prefix(lines.find('\n') + 1);
  // Each entry's line, found again only here: a text holds no line break,
  // and each line begins with its number, none of them twice.
  struct Placed {
    std::uint64_t number;
    std::string_view line;  // its line end included
  };
  std::vector<Placed> placed;
  while (!lines.empty()) {
    const std::size_t end = lines.find('\n') + 1;
    const std::string_view line = lines.substr(0, end);
    placed.push_back({*lineNumberOf(line.substr(0, line.find(' '))), line});
    lines.remove_prefix(end);
  }
  if (!rising_) {
    std::sort(
        placed.begin(), placed.end(),
        [](const Placed& a, const Placed& b) { return a.number < b.number; });
  }
  source_.reordered = true;
  std::string ordered;
  ordered.reserve(out.size() + source_.charset.size() + 12);
  if (!source_.charset.empty()) {
    ordered += charsetLine() + "\r\n";
  }
  for (const Placed& line : placed) ordered.append(line.line);
  out = std::move(ordered);
  return std::move(source_);
}

PoSource sourceFromPo(const PoCatalog& catalog, PoLayout layout) {
  PoSourceMaker maker(layout);
  for (std::size_t line : catalog.obsoleteLines) maker.obsolete(line);
  bool headerDue = catalog.headerLine != 0;
  for (const PoEntry& entry : catalog.entries) {
    if (headerDue && catalog.headerLine < entry.msgstrLine) {
      maker.header(catalog.header, catalog.headerLine);
      headerDue = false;
    }
    maker.entry(entry);
  }
  if (headerDue) maker.header(catalog.header, catalog.headerLine);
  return maker.finish();
}

SourceEncoder::SourceEncoder(std::string_view charset)
    : named_(codePageNamed(charset)) {}

bool SourceEncoder::add(std::string_view text, std::string* bytes) {
  if (named_ == nullptr) {
    bytes->append(text);
    return true;
  }
  if (!fits_) return false;
  const std::size_t from = bytes->size();
  fits_ = encodeFromUtf8(*named_, text, bytes).ok;
  if (!fits_) {
    bytes->resize(from);
    return false;
  }
  const std::string_view added = std::string_view(*bytes).substr(from);
  const bool ascii = isAscii(added);
  ascii_ = ascii_ && ascii;
  utf8_ = utf8_ && (ascii || isUtf8(added));
  return true;
}

void SourceEncoder::takeOn(const SourceEncoder& later) {
  fits_ = fits_ && later.fits_;
  ascii_ = ascii_ && later.ascii_;
  utf8_ = utf8_ && later.utf8_;
}

const CodePage* SourceEncoder::page() const {
  // Bytes that are UTF-8 as well would be read as UTF-8; parts that end
  // with a line end read as UTF-8 exactly when the whole does.
  return fits_ && (ascii_ || !utf8_) ? named_ : nullptr;
}

namespace {

// Adds `text` to `*encoder`, its bytes to `*bytes` with room for `room`
// more, in large pages where there are; false where it does not fit, or
// memory runs short.
bool addWithRoom(SourceEncoder* encoder, std::string_view text,
                 std::size_t room, std::string* bytes) {
  try {
    bytes->reserve(bytes->size() + room);
    os::adviseLargePages(bytes->data(), bytes->capacity());
    return encoder->add(text, bytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The size from which a text is converted in two halves at once.
constexpr std::size_t kHalvesFrom = std::size_t{4} << 20;

}  // namespace

bool SourceEncoder::addLarge(std::string_view text, std::string* bytes) {
  // Cut after a line end: a character never spans it.
  const std::size_t cut = named_ != nullptr && text.size() >= kHalvesFrom
                              ? text.find('\n', text.size() / 2)
                              : std::string_view::npos;
  if (cut == std::string_view::npos) {
    return addWithRoom(this, text, text.size(), bytes);
  }
  SourceEncoder second(*this);
  std::string rest;
  bool restAdded = false;
  bool added = false;
  const std::string_view later = text.substr(cut + 1);
  runBeside(
      [&] { restAdded = addWithRoom(&second, later, later.size(), &rest); },
      [&] {
        added = addWithRoom(this, text.substr(0, cut + 1), text.size(), bytes);
      });
  if (!added || !restAdded) {
    fits_ = false;
    return false;
  }
  takeOn(second);
  bytes->append(rest);
  return true;
}

EncodedSource encodeSource(std::string utf8, std::string_view charset) {
  EncodedSource encoded;
  SourceEncoder encoder(charset);
  std::string bytes;
  if (codePageNamed(charset) != nullptr && encoder.addLarge(utf8, &bytes) &&
      encoder.page() != nullptr) {
    encoded.bytes = std::move(bytes);
    encoded.page = encoder.page();
    return encoded;
  }
  encoded.bytes = std::move(utf8);
  return encoded;
}

}  // namespace parlavox
