#include "compiler/po/po_reader.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "compiler/po/byte_search.h"
#include "compiler/po/messages.h"
#include "compiler/source/encoding_check.h"

namespace parlavox {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// As a language source trims its comments: spaces only.
std::string_view trimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool isOctal(char c) { return c >= '0' && c <= '7'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Which string of the entry being read a continuation line adds to.
enum class Field { kNone, kContext, kId, kPlural, kStr, kOtherStr };

class Reader {
 public:
  explicit Reader(PoVisitor* visitor) : visitor_(visitor) {}

  // As PoReader's.
  bool feed(std::string_view bytes);
  bool betweenEntries() const {
    return result_.ok && carry_.empty() && (!started_ || hasStr_);
  }
  std::size_t linesRead() const { return line_; }
  PoReadStatus finish();

 private:
  bool fail(std::string message) {
    result_.ok = false;
    result_.message = std::move(message);
    result_.line = line_;
    return false;
  }

  // Takes one line as the file holds it, without its LF.
  bool takeFileLine(std::string_view text);
  bool takeLine(std::string_view text);
  bool takeComment(std::string_view text);
  bool takeKeyword(std::string_view word, std::string_view rest);
  // Appends the quoted string at the start of `rest` to `*out`.
  bool takeString(std::string_view rest, std::string* out);
  std::string* fieldString();
  // Ends the entry being read, if any; false on a fault.
  bool finishEntry();
  // Empties entry_ for the next one, keeping the room its strings took.
  void clearEntry();
  // Adds `text` to `*comments`, in the room of an earlier entry's comment.
  void addComment(std::vector<std::string>* comments, std::string_view text);
  void startEntry() {
    if (!started_) {
      started_ = true;
      entry_.line = line_;
    }
  }

  PoVisitor* const visitor_;
  PoReadStatus result_;
  std::string header_;
  std::size_t headerLine_ = 0;  // 0: no header read
  PoEntry entry_;
  bool started_ = false;  // a comment or keyword of entry_ was read
  bool hasId_ = false;
  bool hasStr_ = false;
  // Whether the line being read is known to be UTF-8, and whether a string
  // of entry_ may not be: one read from a line not known to be, or holding
  // an escaped byte above 0x7F.
  bool lineUtf8_ = false;
  bool uncheckedStrings_ = false;
  Field field_ = Field::kNone;
  std::string otherStr_;            // msgstr[1] and beyond, which nothing keeps
  std::vector<std::string> spare_;  // the comments of entries read before
  std::size_t line_ = 0;            // the last line read
  std::string carry_;  // the start of a line that the next bytes end
};

bool Reader::feed(std::string_view bytes) {
  if (!result_.ok) return false;
  std::size_t at = 0;
  if (!carry_.empty()) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) {
      carry_.append(bytes);
      return true;
    }
    carry_.append(bytes.substr(0, end));
    lineUtf8_ = false;
    if (!takeFileLine(carry_)) return false;
    carry_.clear();
    at = end + 1;
  }
  // The lines that end in these bytes are checked for UTF-8 at once where
  // they all are, which most files are: each string and comment of them
  // then needs no check of its own.
  const std::size_t lastEnd = bytes.rfind('\n');
  lineUtf8_ = lastEnd != std::string_view::npos && lastEnd >= at &&
              isUtf8(bytes.substr(at, lastEnd + 1 - at));
  while (at < bytes.size()) {
    const std::size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos) {
      carry_.assign(bytes.substr(at));
      break;
    }
    if (!takeFileLine(bytes.substr(at, end - at))) return false;
    at = end + 1;
  }
  return true;
}

bool Reader::takeFileLine(std::string_view text) {
  if (line_ == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  ++line_;
  return takeLine(text);
}

PoReadStatus Reader::finish() {
  lineUtf8_ = false;
  if (result_.ok && !carry_.empty()) takeFileLine(carry_);
  if (!result_.ok) return std::move(result_);
  ++line_;
  if (!finishEntry()) return std::move(result_);
  if (headerLine_ != 0) {
    const std::optional<std::string> type =
        poHeaderField(header_, "Content-Type");
    if (type) {
      const std::size_t at = type->find("charset=");
      if (at != std::string::npos) {
        const std::string charset(
            trimBlanks(std::string_view(*type).substr(at + 8)));
        std::string folded;
        for (char c : charset) {
          folded += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
        if (folded != "UTF-8" && folded != "CHARSET" && folded != "ASCII") {
          line_ = headerLine_;
          fail(messages::poCharset(charset));
          return std::move(result_);
        }
      }
    }
  }
  return std::move(result_);
}

bool Reader::takeLine(std::string_view line) {
  const std::string_view text = trimBlanks(line);
  if (text.empty()) return true;
  // A comment keeps its trailing tabs: a language source keeps them too.
  if (text[0] == '#') {
    return takeComment(
        line.substr(static_cast<std::size_t>(text.data() - line.data())));
  }
  if (text[0] == '"') {
    std::string* out = fieldString();
    if (out == nullptr) return fail(messages::poStrayString());
    return takeString(text, out);
  }
  const std::size_t wordEnd = firstOf<' ', '\t', '"'>(text, 0);
  return takeKeyword(text.substr(0, wordEnd), text.substr(wordEnd));
}

bool Reader::takeComment(std::string_view text) {
  if (hasId_ && !hasStr_) {
    return fail(messages::poOutOfPlace("#", "msgstr"));
  }
  if (hasStr_ && !finishEntry()) return false;
  const char kind = text.size() > 1 ? text[1] : ' ';
  if (kind == '~') {
    const std::string_view rest = trimBlanks(text.substr(2));
    if (rest.substr(0, 5) == "msgid" &&
        (rest.size() == 5 || isBlank(rest[5]) || rest[5] == '"')) {
      visitor_->obsolete(line_);
    }
    return true;
  }
  startEntry();
  if (!lineUtf8_ && !isUtf8(text)) return fail(messages::poNotUtf8());
  switch (kind) {
    case ',': {
      std::string_view flags = text.substr(2);
      while (!flags.empty()) {
        const std::size_t comma = flags.find(',');
        if (trimBlanks(flags.substr(0, comma)) == "fuzzy") entry_.fuzzy = true;
        if (comma == std::string_view::npos) break;
        flags.remove_prefix(comma + 1);
      }
      return true;
    }
    case '.':
      addComment(&entry_.extractedComments, trimBlanks(text.substr(2)));
      return true;
    case ':':
    case '|':
      return true;
    default:
      addComment(&entry_.translatorComments, trimSpaces(text.substr(1)));
      return true;
  }
}

bool Reader::takeKeyword(std::string_view word, std::string_view rest) {
  if (word == "msgctxt" || word == "msgid") {
    if (hasStr_ && !finishEntry()) return false;
    if (hasId_ || (word == "msgctxt" && entry_.context)) {
      return fail(messages::poOutOfPlace(word, "msgstr"));
    }
    startEntry();
    if (word == "msgctxt") {
      entry_.context.emplace();
      field_ = Field::kContext;
      return takeString(rest, &*entry_.context);
    }
    hasId_ = true;
    field_ = Field::kId;
    return takeString(rest, &entry_.id);
  }
  if (word == "msgid_plural") {
    if (!hasId_ || hasStr_ || entry_.plural) {
      return fail(messages::poOutOfPlace(word, hasId_ ? "msgstr" : "msgid"));
    }
    entry_.plural = true;
    field_ = Field::kPlural;
    otherStr_.clear();
    return takeString(rest, &otherStr_);
  }
  if (word == "msgstr") {
    if (!hasId_ || hasStr_ || entry_.plural) {
      return fail(messages::poOutOfPlace(
          word,
          !hasId_ ? "msgid" : (hasStr_ ? "msgctxt or msgid" : "msgstr[0]")));
    }
    hasStr_ = true;
    entry_.msgstrLine = line_;
    field_ = Field::kStr;
    return takeString(rest, &entry_.str);
  }
  if (word.substr(0, 7) == "msgstr[" && word.back() == ']') {
    const std::string_view index = word.substr(7, word.size() - 8);
    if (!hasId_ || !entry_.plural || (index == "0") == hasStr_) {
      return fail(messages::poOutOfPlace(word, hasId_ ? "msgstr" : "msgid"));
    }
    if (index == "0") {
      hasStr_ = true;
      entry_.msgstrLine = line_;
      field_ = Field::kStr;
      return takeString(rest, &entry_.str);
    }
    field_ = Field::kOtherStr;
    otherStr_.clear();
    return takeString(rest, &otherStr_);
  }
  return fail(messages::poUnknownKeyword(word));
}

std::string* Reader::fieldString() {
  switch (field_) {
    case Field::kNone:
      return nullptr;
    case Field::kContext:
      return &*entry_.context;
    case Field::kId:
      return &entry_.id;
    case Field::kStr:
      return &entry_.str;
    case Field::kPlural:
    case Field::kOtherStr:
      return &otherStr_;
  }
  return nullptr;
}

bool Reader::takeString(std::string_view rest, std::string* out) {
  rest = trimBlanks(rest);
  if (rest.empty() || rest[0] != '"') {
    static constexpr std::string_view kNames[] = {
        "", "msgctxt", "msgid", "msgid_plural", "msgstr", "msgstr[N]"};
    return fail(messages::poNoString(kNames[static_cast<int>(field_)]));
  }
  if (!lineUtf8_) uncheckedStrings_ = true;
  std::size_t at = 1;
  for (;;) {
    if (at >= rest.size()) return fail(messages::poUnterminatedString());
    // The text between escapes is copied in runs.
    const std::size_t run = firstOf<'"', '\\'>(rest, at);
    if (run == rest.size()) return fail(messages::poUnterminatedString());
    out->append(rest.substr(at, run - at));
    at = run;
    if (rest[at] == '"') break;
    if (at + 1 >= rest.size()) return fail(messages::poUnterminatedString());
    const char e = rest[at + 1];
    at += 2;
    switch (e) {
      case 'n':
        out->push_back('\n');
        continue;
      case 't':
        out->push_back('\t');
        continue;
      case 'r':
        out->push_back('\r');
        continue;
      case 'a':
        out->push_back('\a');
        continue;
      case 'b':
        out->push_back('\b');
        continue;
      case 'f':
        out->push_back('\f');
        continue;
      case 'v':
        out->push_back('\v');
        continue;
      case '"':
      case '\\':
      case '\'':
      case '?':
        out->push_back(e);
        continue;
      default:
        break;
    }
    if (isOctal(e)) {
      unsigned value = static_cast<unsigned>(e - '0');
      for (int digits = 1; digits < 3 && at < rest.size() && isOctal(rest[at]);
           ++digits, ++at) {
        value = value * 8 + static_cast<unsigned>(rest[at] - '0');
      }
      if (value > 0xFF) {
        return fail(messages::poBadEscape(rest.substr(at - 4, 4)));
      }
      if (value > 0x7F) uncheckedStrings_ = true;
      out->push_back(static_cast<char>(value));
      continue;
    }
    if (e == 'x' && at < rest.size() && hexValue(rest[at]) >= 0) {
      unsigned value = 0;
      const std::size_t from = at - 2;
      for (; at < rest.size() && hexValue(rest[at]) >= 0; ++at) {
        value = value * 16 + static_cast<unsigned>(hexValue(rest[at]));
        if (value > 0xFF) {
          return fail(messages::poBadEscape(rest.substr(from, at + 1 - from)));
        }
      }
      if (value > 0x7F) uncheckedStrings_ = true;
      out->push_back(static_cast<char>(value));
      continue;
    }
    return fail(messages::poBadEscape(rest.substr(at - 2, 2)));
  }
  if (!trimBlanks(rest.substr(at + 1)).empty()) {
    return fail(messages::poTextAfterString());
  }
  return true;
}

bool Reader::finishEntry() {
  if (!started_) return true;
  if (!hasStr_) {
    if (!hasId_ && !entry_.context) {
      // Comments after the last entry belong to none.
      clearEntry();
      started_ = false;
      return true;
    }
    line_ = entry_.line;
    return fail(messages::poNoMsgstr());
  }
  const bool utf8 =
      !uncheckedStrings_ || (isUtf8(entry_.id) && isUtf8(entry_.str) &&
                             (!entry_.context || isUtf8(*entry_.context)));
  if (!utf8) {
    line_ = entry_.msgstrLine;
    return fail(messages::poNotUtf8());
  }
  if (entry_.id.empty() && !entry_.context && headerLine_ == 0) {
    header_ = entry_.str;
    headerLine_ = entry_.msgstrLine;
    visitor_->header(header_, headerLine_);
  } else {
    visitor_->entry(entry_);
  }
  clearEntry();
  started_ = hasId_ = hasStr_ = false;
  field_ = Field::kNone;
  return true;
}

void Reader::addComment(std::vector<std::string>* comments,
                        std::string_view text) {
  if (spare_.empty()) {
    comments->emplace_back(text);
    return;
  }
  comments->push_back(std::move(spare_.back()));
  spare_.pop_back();
  comments->back().assign(text);
}

void Reader::clearEntry() {
  entry_.line = entry_.msgstrLine = 0;
  entry_.context.reset();
  entry_.id.clear();
  entry_.str.clear();
  entry_.plural = entry_.fuzzy = false;
  for (std::vector<std::string>* comments :
       {&entry_.translatorComments, &entry_.extractedComments}) {
    for (std::string& comment : *comments) spare_.push_back(std::move(comment));
    comments->clear();
  }
  uncheckedStrings_ = false;
}

// Keeps everything read, as a catalog.
class CatalogVisitor : public PoVisitor {
 public:
  void header(const std::string& header, std::size_t line) override {
    catalog.header = header;
    catalog.headerLine = line;
  }
  void entry(const PoEntry& entry) override {
    catalog.entries.push_back(entry);
  }
  void obsolete(std::size_t line) override {
    catalog.obsoleteLines.push_back(line);
  }

  PoCatalog catalog;
};

}  // namespace

class PoReader::Impl : public Reader {
 public:
  using Reader::Reader;
};

PoReader::PoReader(PoVisitor* visitor)
    : reader_(std::make_unique<Impl>(visitor)) {}

PoReader::~PoReader() = default;

bool PoReader::feed(std::string_view bytes) { return reader_->feed(bytes); }

bool PoReader::betweenEntries() const { return reader_->betweenEntries(); }

std::size_t PoReader::linesRead() const { return reader_->linesRead(); }

PoReadStatus PoReader::finish() { return reader_->finish(); }

PoReadResult readPo(std::string_view bytes) {
  CatalogVisitor visitor;
  PoReadStatus status = readPo(bytes, &visitor);
  PoReadResult result;
  if (status.ok) {
    result.catalog = std::move(visitor.catalog);
  } else {
    result.message = std::move(status.message);
    result.line = status.line;
  }
  return result;
}

PoReadStatus readPo(std::string_view bytes, PoVisitor* visitor) {
  PoReader reader(visitor);
  reader.feed(bytes);
  return reader.finish();
}

std::optional<std::string> poHeaderField(std::string_view header,
                                         std::string_view name) {
  while (!header.empty()) {
    const std::size_t end = header.find('\n');
    const std::string_view line = header.substr(0, end);
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos &&
        trimBlanks(line.substr(0, colon)) == name) {
      return std::string(trimBlanks(line.substr(colon + 1)));
    }
    if (end == std::string_view::npos) break;
    header.remove_prefix(end + 1);
  }
  return std::nullopt;
}

bool isUtf8(std::string_view bytes) {
  // The compile's own check: well formed throughout, or ASCII. The first
  // finds a sequence in UTF-8 text, so most text needs no second pass.
  return firstUtf8Sequence(bytes).has_value() || isAscii(bytes);
}

}  // namespace parlavox
