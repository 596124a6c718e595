#include "compiler/po/po_file.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

// Everything a reading made, to compare two readings by.
std::string described(const PoSource& source) {
  std::string text = source.result.ok() ? std::string("ok")
                                        : std::to_string(source.result.line()) +
                                              ": " + source.result.message();
  text += "\ncharset " + source.charset + ", " +
          std::to_string(source.strings) + " strings\n";
  for (const PoWarning& warning : source.warnings) {
    text += std::to_string(warning.line) + ": " + warning.message + "\n";
  }
  return text + source.text;
}

std::string readIn(const TestFolder& folder, std::string_view bytes,
                   PoLayout layout, bool halves) {
  folder.write("langX.po", bytes);
  const std::filesystem::path path = folder.path() / "langX.po";
  FileBlocks file(path);
  PoSource source;
  const ReadResult read = readPoFile(&file, path, layout, halves, &source);
  EXPECT_EQ(read.status, ReadStatus::kRead);
  return described(source);
}

// A translation of 200 entries, each "Zapisz N" with its comments.
struct Translation {
  std::size_t at = 1000;  // where `odd` stands in for an entry
  std::string odd;
  std::string lead;  // before every entry
  // Whether the entries from the 100th, in the middle, are numbered from 0
  // again, or from 50, rather than on from 100.
  int restartAt = 100;
};

Translation oddAt(std::size_t at, std::string odd) {
  Translation t;
  t.at = at;
  t.odd = std::move(odd);
  return t;
}

Translation restartingAt(int number) {
  Translation t;
  t.restartAt = number;
  return t;
}

// The file of `t` whose header is `pad` bytes longer, so that the file's
// middle falls elsewhere.
std::string fileOf(const Translation& t, std::size_t pad,
                   std::string_view lineEnd) {
  std::string file =
      "msgid \"\"\nmsgstr \"\"\n\"X-Parlavox-Charset: 238\\n\"\n";
  file += "\"X-Pad: " + std::string(pad, 'x') + "\\n\"\n\n";
  for (int n = 0; n < 200; ++n) {
    if (n == static_cast<int>(t.at)) {
      file += t.odd;
      continue;
    }
    const std::string number =
        std::to_string(n < 100 ? n : n - 100 + t.restartAt);
    file.append(t.lead).append("# uwaga ").append(number);
    file.append("\n#. note\n#: langEnglish.txt:").append(number);
    file.append("\nmsgctxt \"").append(number);
    file.append("\"\nmsgid \"Save\"\nmsgstr \"Zapisz ").append(number);
    file.append("\"\n\n");
  }
  std::string ended;
  for (char c : file) {
    if (c == '\n') {
      ended += lineEnd;
    } else {
      ended += c;
    }
  }
  return ended;
}

TEST(PoFileTest, HalvesReadAtOnceMakeWhatOneReadingOfTheWholeFileMakes) {
  struct Case {
    std::string name;
    Translation translation;
  };
  const std::string lone = "# alone\n\n";
  const Case cases[] = {
      {"nothing odd", Translation()},
      {"fuzzy and untranslated",
       oddAt(150,
             "#, fuzzy\nmsgctxt \"150\"\nmsgid \"A\"\nmsgstr \"B\"\n\n"
             "msgctxt \"999\"\nmsgid \"A\"\nmsgstr \"\"\n\n")},
      {"obsolete", oddAt(150, "#~ msgid \"Old\"\n#~ msgstr \"Stary\"\n\n")},
      {"a number of the first half again in the second",
       oddAt(150, "msgctxt \"10\"\nmsgid \"A\"\nmsgstr \"B\"\n\n")},
      {"numbers falling in the second half",
       oddAt(150,
             "msgctxt \"7000\"\nmsgid \"A\"\nmsgstr \"B\"\n\n"
             "msgctxt \"6999\"\nmsgid \"A\"\nmsgstr \"B\"\n\n")},
      {"numbers from 0 again in the middle", restartingAt(0)},
      {"numbers from 50 again in the middle", restartingAt(50)},
      {"a fault in the second half",
       oddAt(150, "msgctxt \"150\"\nmsgid \"A\"\nmsgstr \"B\\q\"\n\n")},
      {"a fault in the first half",
       oddAt(20, "msgctxt \"20\"\nmsgid \"A\"\nmsgstr \"B\n\n")},
      {"a text a source cannot hold",
       oddAt(150, "msgctxt \"150\"\nmsgid \"A\"\nmsgstr \" B\"\n\n")},
      {"a second header in the second half",
       oddAt(150, "msgid \"\"\nmsgstr \"X-Parlavox-Charset: 0\\n\"\n\n")},
      {"comments before an empty line",
       [&] {
         Translation t;
         t.lead = lone;
         return t;
       }()},
      {"a plural entry",
       oddAt(150,
             "msgctxt \"150\"\nmsgid \"A\"\nmsgid_plural \"As\"\nmsgstr[0] "
             "\"B\"\nmsgstr[1] \"Bs\"\n\n")},
  };
  const TestFolder folder;
  for (const Case& c : cases) {
    // The middle moves through more than two entries.
    for (std::size_t pad = 0; pad <= 400; pad += 16) {
      for (std::string_view lineEnd : {"\n", "\r\n"}) {
        for (PoLayout layout : {PoLayout::kNumberOrder, PoLayout::kPoLines}) {
          SCOPED_TRACE(c.name + ", pad " + std::to_string(pad) +
                       (lineEnd.size() == 2 ? ", CR LF" : "") +
                       (layout == PoLayout::kPoLines ? ", PO lines" : ""));
          const std::string file = fileOf(c.translation, pad, lineEnd);
          EXPECT_EQ(readIn(folder, file, layout, true),
                    readIn(folder, file, layout, false));
        }
      }
    }
  }
}

TEST(PoFileTest, AHeaderAfterTheEntriesOrNoEmptyLineReadsAsTheWholeFile) {
  std::string late;
  std::string unbroken;
  for (int n = 0; n < 100; ++n) {
    const std::string entry = "msgctxt \"" + std::to_string(n) +
                              "\"\nmsgid \"A\"\nmsgstr \"B " +
                              std::to_string(n) + "\"\n";
    late += entry + "\n";
    unbroken += entry;
  }
  late += "msgid \"\"\nmsgstr \"X-Parlavox-Charset: 238\\n\"\n";
  const TestFolder folder;
  for (const std::string& file : {late, unbroken}) {
    for (PoLayout layout : {PoLayout::kNumberOrder, PoLayout::kPoLines}) {
      EXPECT_EQ(readIn(folder, file, layout, true),
                readIn(folder, file, layout, false));
    }
  }
  EXPECT_TRUE(readIn(folder, late, PoLayout::kNumberOrder, true)
                  .starts_with("ok\ncharset 238, 100 strings\n"
                               "Charset | 238\r\n0 | B 0\r\n1 | B 1\r\n"));
}

TEST(PoFileTest, AMissingFileIsNoFile) {
  const TestFolder folder;
  const std::filesystem::path path = folder.path() / "langX.po";
  FileBlocks file(path);
  PoSource source;
  EXPECT_EQ(
      readPoFile(&file, path, PoLayout::kNumberOrder, true, &source).status,
      ReadStatus::kNotAFile);
}

TEST(PoFileTest, TheSecondHalfBeginsWhereAnEntryOpensAfterAnEmptyLine) {
  EXPECT_EQ(poHalfStart("\"\n\n#. note\n"), 3u);
  EXPECT_EQ(poHalfStart("x\"\r\n\r\nmsgctxt \"1\"\r\n"), 6u);
  EXPECT_EQ(poHalfStart("\"\n\nmsgid \"A\"\n"), 3u);
  EXPECT_EQ(poHalfStart("\"\n\nmsgid\"A\"\n"), 3u);
  // A plural's msgid, a msgstr or a string go on with an entry.
  EXPECT_EQ(poHalfStart("\"\n\nmsgid_plural \"A\"\n\n#\n"), 21u);
  EXPECT_EQ(poHalfStart("\"\n\nmsgstr \"A\"\n\"B\"\n\n\"C\"\n"), std::nullopt);
  EXPECT_EQ(poHalfStart("#. note\n#: here\nmsgid \"A\"\n"), std::nullopt);
  // The empty line's end may be the last byte read so far.
  EXPECT_EQ(poHalfStart("\"\n\n"), std::nullopt);
  EXPECT_EQ(poHalfStart(""), std::nullopt);
}

}  // namespace
}  // namespace parlavox
