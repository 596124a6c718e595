// A PO file read from the disk into the source it stands for, block by
// block as it is read. A large one is read in two halves at once, each on
// a processor of its own: the second half, from where an entry begins, by
// a thread with its own reader and source maker, whose source then follows
// the first half's. Where the two do not simply follow each other, or
// either holds a fault, the file is read again from its start in one
// piece, so that the source, its faults and its warnings are always those
// of one reading of the whole file.

#ifndef PARLAVOX_COMPILER_PO_PO_FILE_H_
#define PARLAVOX_COMPILER_PO_PO_FILE_H_

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "compiler/files/file_blocks.h"
#include "compiler/po/po_source.h"

namespace parlavox {

// Takes the text of a source as it is made, in parts that follow each
// other, with the Charset as far as known. In kNumberOrder, each part is of
// whole lines.
using PoTextSink =
    std::function<void(std::string_view text, std::string_view charset)>;

// Reads `*file`, opened at `path`, into `*source`, in two halves at once
// where `halves` is true: the file as read (its status, cause and
// identity). Where it was read, `source` holds the source or the first
// fault of the file, with its line. `sink`, where given, is handed the
// source's text as it is made while the file (or its first half) is read:
// where the source is read without fault and not reordered, the parts are
// the start of its text, and the Charset handed with them is its own.
ReadResult readPoFile(FileBlocks* file, const std::filesystem::path& path,
                      PoLayout layout, bool halves, PoSource* source,
                      const PoTextSink& sink = {});

// Where the second half of a PO file whose bytes from some point on begin
// with `bytes` begins: the start of the first line of them that opens an
// entry ("#", "msgctxt" or "msgid") right after an empty line.
std::optional<std::size_t> poHalfStart(std::string_view bytes);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_PO_PO_FILE_H_
