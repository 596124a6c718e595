#include "compiler/po/byte_search.h"

#include <gtest/gtest.h>

#include <string>

namespace parlavox {
namespace {

// Every size up to three wide blocks, every start, and the byte sought at
// every place after it, alone or behind another: the wide search, its
// overlapping last block and the byte-by-byte one must agree.
TEST(ByteSearchTest, FindsTheFirstOfItsBytesWhereverItStands) {
  for (std::size_t size = 0; size <= 48; ++size) {
    for (std::size_t from = 0; from <= size; ++from) {
      const std::string plain(size, 'a');
      EXPECT_EQ((firstOf<'"', '\\'>(plain, from)), size);
      for (std::size_t at = 0; at < size; ++at) {
        std::string text = plain;
        text[at] = '\\';
        if (at + 1 < size) text[at + 1] = '"';
        const std::size_t expected = at >= from                        ? at
                                     : at + 1 >= from && at + 1 < size ? at + 1
                                                                       : size;
        EXPECT_EQ((firstOf<'"', '\\'>(text, from)), expected)
            << "size " << size << ", from " << from << ", at " << at;
      }
    }
  }
}

TEST(ByteSearchTest, TakesHighBytesAndZerosForWhatTheyAre) {
  const std::string text = std::string("\xC5\x82\0z", 4) + std::string(20, 'b');
  EXPECT_EQ((firstOf<'\0'>(text, 0)), 2u);
  EXPECT_EQ((firstOf<'\x82'>(text, 0)), 1u);
  EXPECT_EQ((firstOf<'z', '\xC5'>(text, 1)), 3u);
  EXPECT_EQ((firstOf<'\r', '\n', '^', '/'>(text, 0)), text.size());
}

}  // namespace
}  // namespace parlavox
