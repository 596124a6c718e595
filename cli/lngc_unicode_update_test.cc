// --update on sources saved as UTF-8 and UTF-16: the added lines are in the
// source's own encoding, with texts from the reference converted to it.

#include <gtest/gtest.h>

#include <string>

#include "cli/lngc.h"
#include "cli/lngc_fixture.h"
#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

using namespace std::string_literals;

using LngcUnicodeUpdateTest = LngcFixture;

// "Öffnen" and "Größe" under Charset 0, in Windows-1252.
constexpr std::string_view kReference =
    "Charset | 0\r\n0 | Datei\r\n1 | \xD6"
    "ffnen // menu \xFC\r\n2 | Gr\xF6\xDF"
    "e\r\n";

TEST_F(LngcUnicodeUpdateTest, Utf8SourceGetsUtf8Lines) {
  folder_.write("langEnglish.txt", kReference);
  folder_.write("langA.txt",
                "\xEF\xBB\xBF"
                "Charset | 0\r\n0 | Fichier\r\n");
  EXPECT_EQ(
      run({"--update", "--reference", at("langEnglish.txt"), at("langA.txt")}),
      0);
  EXPECT_EQ(err_, "");
  EXPECT_EQ(folder_.read("langA.txt"),
            "\xEF\xBB\xBF"
            "Charset | 0\r\n0 | Fichier\r\n"
            "// New in the reference, to be translated:\r\n"
            "1 | Öffnen // menu ü\r\n2 | Größe\r\n");
  // It compiles back to the reference's bytes.
  EXPECT_EQ(run({at("langA.txt")}), 0);
  EXPECT_EQ(folder_.read("LangA.lng"),
            "0\r\nFichier\r\n\xD6"
            "ffnen\r\nGr\xF6\xDF"
            "e\r\n");
}

TEST_F(LngcUnicodeUpdateTest, Utf8ReferenceGivesItsOwnBytesToAUtf8Source) {
  // No code page between them: "…" stays E2 80 A6, whatever the Charsets.
  folder_.write("langEnglish.txt",
                "Charset | 0\r\n0 | File\r\n1 | Save as\xE2\x80\xA6 // "
                "\xE2\x80\x9Cmenu\xE2\x80\x9D\r\n");
  folder_.write("langA.txt", "Charset | 238\r\n0 | Plik \xC5\xBC\r\n");
  ASSERT_EQ(
      run({"--update", "--reference", at("langEnglish.txt"), at("langA.txt")}),
      0)
      << err_;
  EXPECT_EQ(folder_.read("langA.txt"),
            "Charset | 238\r\n0 | Plik \xC5\xBC\r\n"
            "// New in the reference, to be translated:\r\n"
            "1 | Save as\xE2\x80\xA6 // \xE2\x80\x9Cmenu\xE2\x80\x9D\r\n");
}

// `latin1`, whose characters are all below U+0100, as UTF-16.
std::string utf16Of(std::string_view latin1, bool bigEndian) {
  std::string bytes;
  for (const char c : latin1) {
    bytes += bigEndian ? '\0' : c;
    bytes += bigEndian ? c : '\0';
  }
  return bytes;
}

TEST_F(LngcUnicodeUpdateTest, Utf16SourceGetsLinesInItsByteOrder) {
  folder_.write("langEnglish.txt", kReference);
  const std::string big =
      "\xFE\xFF" + utf16Of("Charset | 0\n0 | Fichier\n", true);
  folder_.write("langBig.txt", big);
  const std::string little = "\xFF\xFE" + utf16Of("0 | \xE9\n", false);
  folder_.write("langLittle.txt", little);
  EXPECT_EQ(run({"--update", "--reference", at("langEnglish.txt"),
                 at("langBig.txt"), at("langLittle.txt")}),
            0);
  // The update warns of encodings as a compile does.
  EXPECT_EQ(err_, at("langLittle.txt") +
                      ":1: warning: the file is saved as UTF-16 and written "
                      "as UTF-8, but without a Charset line it is read in "
                      "Windows-1252 (ANSI, on a Western system): save it in "
                      "that code page\n");
  const std::string added =
      "// New in the reference, to be translated:\n"
      "1 | \xD6"
      "ffnen // menu \xFC\n2 | Gr\xF6\xDF"
      "e\n";
  EXPECT_EQ(folder_.read("langBig.txt"), big + utf16Of(added, true));
  EXPECT_EQ(folder_.read("langLittle.txt"), little + utf16Of(added, false));
  EXPECT_EQ(run({at("langBig.txt")}), 0);
  EXPECT_EQ(folder_.read("LangBig.lng"),
            "0\r\nFichier\r\n\xD6"
            "ffnen\r\nGr\xF6\xDF"
            "e\r\n");
}

TEST_F(LngcUnicodeUpdateTest, TextsThatCannotBeCarriedOverAreRefused) {
  // Charset 1 names no code page to read the reference's bytes in.
  folder_.write("langEnglish.txt", "Charset | 1\n0 | a\n1 | \xD6\n");
  const std::string utf8 = "Charset | 0\n0 | \xC3\xA9\n";
  folder_.write("langA.txt", utf8);
  EXPECT_EQ(
      run({"--update", "--reference", at("langEnglish.txt"), at("langA.txt")}),
      1);
  EXPECT_EQ(err_, at("langA.txt") +
                      ": not updated: line number 1 of the reference holds "
                      "non-ASCII characters, and Charset 1 names no code page "
                      "to read them in\n");
  EXPECT_EQ(folder_.read("langA.txt"), utf8);

  // A UTF-8 reference into an 8-bit source: its code page or nothing.
  folder_.write("langEnglish.txt", "Charset | 0\n0 | a\n1 | \xC5\x91\n");
  const std::string eightBit = "Charset | 0\n0 | \xE9\n";
  folder_.write("langB.txt", eightBit);
  EXPECT_EQ(
      run({"--update", "--reference", at("langEnglish.txt"), at("langB.txt")}),
      1);
  EXPECT_EQ(err_, at("langB.txt") +
                      ": not updated: line number 1 of the reference holds "
                      "\"\xC5\x91\", which has no place in Windows-1252, the "
                      "code page of this source\n");
  EXPECT_EQ(folder_.read("langB.txt"), eightBit);

  folder_.write("langEnglish.txt", "Charset | 0\n0 | a\n1 | \xC3\xB6\n");
  EXPECT_EQ(
      run({"--update", "--reference", at("langEnglish.txt"), at("langB.txt")}),
      0);
  EXPECT_EQ(
      folder_.read("langB.txt"),
      eightBit + "// New in the reference, to be translated:\n1 | \xF6\n");
}

}  // namespace
}  // namespace parlavox
