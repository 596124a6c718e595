// Sources of a scan's bytes that read a file's bytes as something else: the
// file without its byte-order mark, and a UTF-16 file as UTF-8.

#ifndef PARLAVOX_COMPILER_DECODED_BLOCKS_H_
#define PARLAVOX_COMPILER_DECODED_BLOCKS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "compiler/encodings/utf16_decoder.h"
#include "compiler/files/file_blocks.h"

namespace parlavox {

// `source` without its first `skip` bytes.
class BlocksAfter : public SourceBlocks {
 public:
  BlocksAfter(SourceBlocks* source, std::size_t skip)
      : source_(source), skip_(skip) {}

  std::uint64_t size() const override;
  std::optional<std::size_t> read(std::span<char> into) override;
  bool unchanged() override { return source_->unchanged(); }

 private:
  SourceBlocks* source_;
  std::size_t skip_;
};

// A UTF-16 `source`, its byte-order mark already passed over, as UTF-8. A
// fault in it makes it unreadable: the survey has found none there.
class Utf16Blocks : public SourceBlocks {
 public:
  Utf16Blocks(SourceBlocks* source, bool bigEndian)
      : source_(source), decoder_(bigEndian) {}

  // A bound, not the size: UTF-8 takes at most one and a half times the
  // bytes of UTF-16.
  std::uint64_t size() const override { return source_->size() * 2; }
  std::optional<std::size_t> read(std::span<char> into) override;
  bool unchanged() override { return source_->unchanged(); }

 private:
  // Room for the UTF-16 bytes read at once.
  static constexpr std::size_t kChunkSize = std::size_t{64} << 10;

  SourceBlocks* source_;
  Utf16Decoder decoder_;
  std::unique_ptr<char[]> raw_;
  std::unique_ptr<char[]> decoded_;
  std::size_t decodedSize_ = 0;
  std::size_t handedOut_ = 0;
  bool ended_ = false;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_DECODED_BLOCKS_H_
