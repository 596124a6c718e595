#include "compiler/po/po_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace parlavox {
namespace {

PoCatalog readGood(std::string_view bytes) {
  PoReadResult result = readPo(bytes);
  EXPECT_TRUE(result.ok()) << result.line << ": " << result.message;
  return result.ok() ? std::move(*result.catalog) : PoCatalog();
}

TEST(PoReaderTest, ReadsStringsOverLinesAndEveryEscape) {
  const PoCatalog catalog = readGood(
      "msgctxt \"1\"\n"
      "msgid \"\"\n"
      "\"Save \"\n"
      "  \"%1\"\n"
      "msgstr \"a\\\"b\\\\c\\td\\ne\\rf\\a\\b\\f\\v\\'\\?\"\n"
      "\"\\101\\0102\\x41\\xc5\\x82\"\n");
  ASSERT_EQ(catalog.entries.size(), 1u);
  const PoEntry& entry = catalog.entries[0];
  EXPECT_EQ(*entry.context, "1");
  EXPECT_EQ(entry.id, "Save %1");
  EXPECT_EQ(entry.str, "a\"b\\c\td\ne\rf\a\b\f\v'?A\b2A\xC5\x82");
  EXPECT_EQ(entry.line, 1u);
  EXPECT_EQ(entry.msgstrLine, 5u);
}

TEST(PoReaderTest, ReadsCrLfAMarkAndCommentsInAnyOrder) {
  const PoCatalog catalog = readGood(
      "\xEF\xBB\xBFmsgid \"\"\r\n"
      "msgstr \"Language: pl\\n\"\r\n"
      "\"X-Parlavox-Charset: 238\\n\"\r\n"
      "\r\n"
      "#: langEnglish.txt:3\r\n"
      "#, fuzzy, qt-format\r\n"
      "#. menu\r\n"
      "#  mine  \r\n"
      "#| msgid \"Old\"\r\n"
      "# second\r\n"
      "msgctxt \"0\"\r\n"
      "msgid \"File\"\r\n"
      "msgstr \"Plik\"\r\n"
      "#. next\r\n"
      "msgctxt \"1\"\r\n"
      "msgid \"x\"\r\n"
      "msgstr \"y\"\r\n");
  EXPECT_EQ(catalog.headerLine, 2u);
  EXPECT_EQ(catalog.header, "Language: pl\nX-Parlavox-Charset: 238\n");
  EXPECT_EQ(poHeaderField(catalog.header, "X-Parlavox-Charset"), "238");
  EXPECT_EQ(poHeaderField(catalog.header, "Language"), "pl");
  EXPECT_EQ(poHeaderField(catalog.header, "Plural-Forms"), std::nullopt);
  ASSERT_EQ(catalog.entries.size(), 2u);
  const PoEntry& first = catalog.entries[0];
  EXPECT_EQ(first.line, 5u);
  EXPECT_TRUE(first.fuzzy);
  EXPECT_EQ(first.str, "Plik");
  EXPECT_EQ(first.extractedComments, std::vector<std::string>{"menu"});
  EXPECT_EQ(first.translatorComments,
            (std::vector<std::string>{"mine", "second"}));
  EXPECT_FALSE(catalog.entries[1].fuzzy);
  EXPECT_EQ(catalog.entries[1].line, 14u);
  EXPECT_EQ(catalog.entries[1].extractedComments,
            std::vector<std::string>{"next"});
}

TEST(PoReaderTest, KeepsPluralAndObsoleteEntriesApart) {
  const PoCatalog catalog = readGood(
      "msgctxt \"4\"\nmsgid \"song\"\nmsgid_plural \"songs\"\n"
      "msgstr[0] \"piosenka\"\nmsgstr[1] \"piosenki\"\n\n"
      "#~ msgctxt \"5\"\n#~ msgid \"Old\"\n#~ msgstr \"Stary\"\n"
      "#~ msgid \"Older\"\n#~ msgstr \"\"\n");
  ASSERT_EQ(catalog.entries.size(), 1u);
  EXPECT_TRUE(catalog.entries[0].plural);
  EXPECT_EQ(catalog.entries[0].str, "piosenka");
  EXPECT_EQ(catalog.obsoleteLines, (std::vector<std::size_t>{8, 10}));
}

struct Malformed {
  std::string_view bytes;
  std::size_t line;
  std::string_view message;
};

TEST(PoReaderTest, AMalformedFileIsAFaultOnItsLine) {
  const Malformed cases[] = {
      {"msgid \"a\"\nmsgstr \"b\n", 2, "the string has no closing quote"},
      {"msgid \"a\\\"\nmsgstr \"b\"\n", 1, "the string has no closing quote"},
      {"msgid \"a\"\nmsgstr \"b\\q\"\n", 2, "unknown escape sequence \"\\q\""},
      {"msgid \"a\"\nmsgstr \"\\x\"\n", 2, "unknown escape sequence \"\\x\""},
      {"msgid \"a\"\nmsgstr \"\\777\"\n", 2,
       "unknown escape sequence \"\\777\""},
      {"msgid \"a\" x\nmsgstr \"b\"\n", 1, "text after the closing quote"},
      {"msgid a\nmsgstr \"b\"\n", 1,
       "\"msgid\" is not followed by a string in quotes"},
      {"msgstr \"b\"\n", 1, "\"msgstr\" out of place: msgid expected"},
      {"msgid \"a\"\nmsgid \"b\"\n", 2,
       "\"msgid\" out of place: msgstr expected"},
      {"msgid \"a\"\nmsgctxt \"1\"\nmsgstr \"b\"\n", 2,
       "\"msgctxt\" out of place: msgstr expected"},
      {"msgid \"a\"\nmsgstr \"b\"\nmsgstr \"c\"\n", 3,
       "\"msgstr\" out of place: msgctxt or msgid expected"},
      {"msgid \"a\"\n# note\nmsgstr \"b\"\n", 2,
       "\"#\" out of place: msgstr expected"},
      {"msgid \"a\"\nmsgstr[0] \"b\"\n", 2,
       "\"msgstr[0]\" out of place: msgstr expected"},
      {"msgid \"a\"\nmsgid_plural \"b\"\nmsgstr \"c\"\n", 3,
       "\"msgstr\" out of place: msgstr[0] expected"},
      {"msgid \"a\"\nmsgtext \"b\"\n", 2, "unknown keyword \"msgtext\""},
      {"\"a\"\nmsgid \"a\"\nmsgstr \"b\"\n", 1,
       "a string without a keyword before it"},
      {"#. menu\nmsgctxt \"1\"\nmsgid \"a\"\n", 1,
       "the entry ends without msgstr"},
      {"msgid \"a\"\nmsgstr \"\\xff\"\n", 2, "the text is not UTF-8"},
      {"# caf\xE9\nmsgid \"a\"\nmsgstr \"b\"\n", 1, "the text is not UTF-8"},
      {"msgid \"\"\nmsgstr \"Content-Type: text/plain; "
       "charset=ISO-8859-2\\n\"\n",
       2,
       "the file is in charset \"ISO-8859-2\", and only UTF-8 is read: "
       "convert it with msgconv --to-code=UTF-8"},
  };
  for (const Malformed& malformed : cases) {
    SCOPED_TRACE(malformed.bytes);
    const PoReadResult result = readPo(malformed.bytes);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, malformed.message);
    EXPECT_EQ(result.line, malformed.line);
  }
}

TEST(PoReaderTest, UnderstandsTheTemplatesCharsetAndUtf8InAnyCase) {
  for (std::string_view charset : {"CHARSET", "utf-8", "UTF-8"}) {
    const std::string bytes =
        "msgid \"\"\nmsgstr \"Content-Type: text/plain; "
        "charset=" +
        std::string(charset) + "\\n\"\n";
    EXPECT_TRUE(readPo(bytes).ok()) << charset;
  }
}

// Writes down everything a reader hands on, in order.
class Recorder : public PoVisitor {
 public:
  void header(const std::string& header, std::size_t line) override {
    log += "header " + std::to_string(line) + ": " + header + "\n";
  }
  void entry(const PoEntry& entry) override {
    log += "entry " + std::to_string(entry.line) + "/" +
           std::to_string(entry.msgstrLine) + " [" +
           (entry.context ? *entry.context : "-") + "] [" + entry.id + "] [" +
           entry.str + "]" + (entry.fuzzy ? " fuzzy" : "") +
           (entry.plural ? " plural" : "");
    for (const std::string& c : entry.translatorComments) log += " #" + c;
    for (const std::string& c : entry.extractedComments) log += " #." + c;
    log += "\n";
  }
  void obsolete(std::size_t line) override {
    log += "obsolete " + std::to_string(line) + "\n";
  }

  std::string log;
};

std::string statusOf(const PoReadStatus& status) {
  return status.ok ? "ok" : std::to_string(status.line) + ": " + status.message;
}

TEST(PoReaderTest, PartsOfAnySizeReadAsTheWholeFile) {
  constexpr std::string_view kCrLfMarkAndNoLastLineEnd =
      "\xEF\xBB\xBF# mine\r\n#. menu\r\nmsgctxt \"0\"\r\nmsgid \"File\"\r\n"
      "msgstr \"\"\r\n\"Pl\"\r\n  \"ik\\n\"\r\n\r\n#, fuzzy\r\n"
      "msgctxt \"1\"\r\nmsgid \"OK\"\r\nmsgstr \"Dobrze\"";
  constexpr std::string_view kObsoleteLateHeaderAndPlural =
      "msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"b\"\n\n#~ msgid \"old\"\n"
      "#~ msgstr \"stare\"\n\nmsgid \"\"\nmsgstr \"X-Parlavox-Charset: "
      "238\\n\"\n\nmsgctxt \"1\"\nmsgid \"c\"\nmsgid_plural \"cs\"\n"
      "msgstr[0] \"d\"\nmsgstr[1] \"e\"\n\n\n";
  constexpr std::string_view kBadEscape =
      "msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"b\\q\"\nmsgctxt \"1\"\n";
  constexpr std::string_view kUnterminated =
      "msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"b\"\n\nmsgctxt \"1\"\nmsgid \"c";
  constexpr std::string_view kLoneCrs =
      "msgctxt \"0\"\rmsgid \"a\"\r\n\r\nmsgstr \"\xC5\x82\"\r\r\n";
  const std::string_view files[] = {kCrLfMarkAndNoLastLineEnd,
                                    kObsoleteLateHeaderAndPlural,
                                    kBadEscape,
                                    kUnterminated,
                                    kLoneCrs,
                                    ""};
  for (std::string_view file : files) {
    Recorder whole;
    const std::string wholeStatus = statusOf(readPo(file, &whole));
    const PoReadResult catalog = readPo(file);
    EXPECT_EQ(catalog.ok(), wholeStatus == "ok") << file;
    for (std::size_t part : {1, 2, 3, 5, 7, 64}) {
      SCOPED_TRACE(std::string(file) + " in parts of " + std::to_string(part));
      Recorder parts;
      PoReader reader(&parts);
      for (std::size_t at = 0; at < file.size(); at += part) {
        reader.feed(file.substr(at, part));
      }
      EXPECT_EQ(statusOf(reader.finish()), wholeStatus);
      EXPECT_EQ(parts.log, whole.log);
    }
  }
  Recorder first;
  EXPECT_EQ(statusOf(readPo(kCrLfMarkAndNoLastLineEnd, &first)), "ok");
  EXPECT_EQ(first.log,
            "entry 1/5 [0] [File] [Plik\n] #mine #.menu\n"
            "entry 9/12 [1] [OK] [Dobrze] fuzzy\n");
  Recorder third;
  EXPECT_EQ(statusOf(readPo(kBadEscape, &third)),
            "3: unknown escape sequence \"\\q\"");
}

// 300 entries of UTF-8 text, four lines each, with `odd` as the msgstr of
// entry 200 (its msgstr on line 803) and a translator comment of `comment`
// above entry 250 (on line 1001).
std::string longFileWith(std::string_view odd, std::string_view comment) {
  std::string file;
  for (int n = 0; n < 300; ++n) {
    if (n == 250) file.append("# ").append(comment).append("\n");
    file.append("msgctxt \"").append(std::to_string(n)).append("\"\n");
    file.append("msgid \"Save\"\n");
    file.append("msgstr \"");
    file.append(n == 200 ? odd : "Zapisz \xC5\x82\xC3\xB3\x64\xC5\xBA");
    file.append("\"\n\n");
  }
  return file;
}

TEST(PoReaderTest, ABadByteIsFoundOnItsLineHoweverTheFileIsCut) {
  struct Case {
    std::string file;
    std::string status;
  };
  const Case cases[] = {
      {longFileWith("Zapisz \xC5", "ok"), "803: the text is not UTF-8"},
      {longFileWith("Zapisz \xF0\x9F\x8E", "ok"), "803: the text is not UTF-8"},
      // Escapes make bytes that the file's own bytes do not show.
      {longFileWith("Zapisz \\305", "ok"), "803: the text is not UTF-8"},
      {longFileWith("Zapisz \\xC5", "ok"), "803: the text is not UTF-8"},
      {longFileWith("Zapisz \\305\\202", "ok"), "ok"},
      {longFileWith("Zapisz", "caf\xE9"), "1001: the text is not UTF-8"},
      {longFileWith("Zapisz", "caf\xC3\xA9"), "ok"},
  };
  for (const Case& c : cases) {
    Recorder whole;
    EXPECT_EQ(statusOf(readPo(c.file, &whole)), c.status);
    for (std::size_t part : {1, 5, 64, 1000, 4096}) {
      SCOPED_TRACE(c.status + " in parts of " + std::to_string(part));
      Recorder parts;
      PoReader reader(&parts);
      for (std::size_t at = 0; at < c.file.size(); at += part) {
        reader.feed(std::string_view(c.file).substr(at, part));
      }
      EXPECT_EQ(statusOf(reader.finish()), c.status);
      EXPECT_EQ(parts.log, whole.log);
    }
  }
}

TEST(PoReaderTest, TellsUtf8FromOtherBytes) {
  EXPECT_TRUE(isUtf8("Zażółć 日本 \xF0\x9F\x8E\xB5"));
  EXPECT_FALSE(isUtf8("\xC0\x80"));          // overlong
  EXPECT_FALSE(isUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(isUtf8("\xE6\x97"));          // cut short
  EXPECT_FALSE(isUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

}  // namespace
}  // namespace parlavox
