#include "compiler/files/temporary_files.h"

#include <gtest/gtest.h>

#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

TEST(TemporaryFilesTest, RemovesWhatIsNotedAndNotForgotten) {
  TestFolder folder;
  for (const char* name : {"noted.tmp", "forgotten.tmp", "other.tmp"}) {
    folder.write(name, "x");
  }
  const int noted = rememberTemporaryFile(folder.path() / "noted.tmp");
  const int forgotten = rememberTemporaryFile(folder.path() / "forgotten.tmp");
  ASSERT_NE(noted, -1);
  ASSERT_NE(forgotten, noted);
  forgetTemporaryFile(forgotten);
  removeTemporaryFiles();
  forgetTemporaryFile(noted);
  EXPECT_EQ(folder.names(),
            (std::vector<std::string>{"forgotten.tmp", "other.tmp"}));
}

TEST(TemporaryFilesTest, FullRegistryOrOverlongPathIsNotNoted) {
  std::vector<int> tickets;
  for (int ticket = rememberTemporaryFile("a"); ticket != -1;
       ticket = rememberTemporaryFile("a")) {
    tickets.push_back(ticket);
  }
  EXPECT_FALSE(tickets.empty());
  for (int ticket : tickets) forgetTemporaryFile(ticket);
  EXPECT_EQ(rememberTemporaryFile(std::string(5000, 'x')), -1);
  // A slot freed is taken again.
  const int again = rememberTemporaryFile("a");
  EXPECT_NE(again, -1);
  forgetTemporaryFile(again);
}

}  // namespace
}  // namespace parlavox
