// The reader of PO files, the translation catalogs that PO editors and
// translation platforms write: entries of msgctxt, msgid and msgstr strings
// with their comments and flags, as the gettext tools write them (strings
// over several lines, escapes, CR LF, a UTF-8 mark, comments in any order).
// Its own rather than a library's: the one maintained PO library is not
// packaged for the MinGW-w64 build, and the compiler needs only the
// standard library.

#ifndef PARLAVOX_COMPILER_PO_READER_H_
#define PARLAVOX_COMPILER_PO_READER_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlavox {

// One entry of a PO file, its strings unescaped (UTF-8 for a UTF-8 file).
struct PoEntry {
  // The 1-based lines the entry begins on (its first comment or keyword)
  // and its msgstr keyword stands on.
  std::size_t line = 0;
  std::size_t msgstrLine = 0;
  std::optional<std::string> context;  // msgctxt, where there is one
  std::string id;
  std::string str;  // msgstr; for a plural entry, msgstr[0]
  bool plural = false;
  bool fuzzy = false;
  // The "# ..." lines, each without the "#" and the spaces after it.
  std::vector<std::string> translatorComments;
  // The "#. ..." lines, likewise.
  std::vector<std::string> extractedComments;
};

struct PoCatalog {
  // The header entry's msgstr (msgid "" without msgctxt); empty for none.
  std::string header;
  std::size_t headerLine = 0;  // its msgstr line, 0 for none
  // Every other entry, in the order of the file.
  std::vector<PoEntry> entries;
  // The lines of the obsolete ("#~") entries, each at its msgid.
  std::vector<std::size_t> obsoleteLines;
};

// A read catalog, or the first fault of a malformed file with its line.
struct PoReadResult {
  std::optional<PoCatalog> catalog;
  std::string message;
  std::size_t line = 0;

  bool ok() const { return catalog.has_value(); }
};

// Reads the whole PO file `bytes`. A file whose Content-Type names a
// charset other than UTF-8 (or the template's "CHARSET"), and strings that
// are not UTF-8, are faults too.
PoReadResult readPo(std::string_view bytes);

// Takes what a PO file holds as it is read, in the order of the file.
class PoVisitor {
 public:
  virtual ~PoVisitor() = default;

  // The header entry's msgstr, and the line its msgstr stands on.
  virtual void header(const std::string& header, std::size_t line) = 0;

  // Every other entry; `entry` lasts only for the call.
  virtual void entry(const PoEntry& entry) = 0;

  // An obsolete ("#~") entry, at its msgid's line.
  virtual void obsolete(std::size_t line) = 0;
};

// Whether a PO file was read whole, or its first fault with its line.
struct PoReadStatus {
  bool ok = true;
  std::string message;
  std::size_t line = 0;
};

// readPo with each entry handed to `*visitor` as it is read, and kept by
// none: the visitor has seen everything before the fault of a failure.
PoReadStatus readPo(std::string_view bytes, PoVisitor* visitor);

// Reads a PO file given in parts of any size, as readPo reads it whole.
class PoReader {
 public:
  // Hands what the file holds to `*visitor`, which must outlive this.
  explicit PoReader(PoVisitor* visitor);
  ~PoReader();
  PoReader(const PoReader&) = delete;
  PoReader& operator=(const PoReader&) = delete;

  // Reads the file's next bytes; false once a fault is found, after which
  // the rest of the file changes nothing.
  bool feed(std::string_view bytes);

  // Whether what was read ends with a whole entry, or before the first: an
  // entry read from the next bytes would then be read the same by a reader
  // of its own.
  bool betweenEntries() const;

  // How many lines the bytes read so far ended.
  std::size_t linesRead() const;

  // Ends the file, and tells how its reading went.
  PoReadStatus finish();

 private:
  class Impl;
  std::unique_ptr<Impl> reader_;
};

// The value of the field `name` ("Language") in a PO header, trimmed of
// spaces; nothing where the header has no such field.
std::optional<std::string> poHeaderField(std::string_view header,
                                         std::string_view name);

// Whether `bytes` is well-formed UTF-8.
bool isUtf8(std::string_view bytes);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_PO_READER_H_
