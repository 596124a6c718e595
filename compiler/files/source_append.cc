#include "compiler/files/source_append.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace parlavox {

namespace {

namespace fs = std::filesystem;

// The journal opens with this line, then the source's identity as it was
// read and the length of the lines, each as eight bytes, lowest first,
// then the lines themselves.
constexpr std::string_view kJournalMark = "parlavox append journal 1\n";

struct Journal {
  FileIdentity read;
  std::string_view bytes;
};

void putNumber(std::string* out, std::uint64_t number) {
  for (int shift = 0; shift < 64; shift += 8) {
    out->push_back(static_cast<char>((number >> shift) & 0xFF));
  }
}

std::uint64_t takeNumber(std::string_view* in) {
  std::uint64_t number = 0;
  for (int at = 0; at < 8; ++at) {
    number |= std::uint64_t{static_cast<unsigned char>((*in)[at])} << (8 * at);
  }
  in->remove_prefix(8);
  return number;
}

// The journal in `text`; nothing when it is not one, or not whole.
std::optional<Journal> parseJournal(std::string_view text) {
  constexpr std::size_t kNumbers = 6;
  if (text.substr(0, kJournalMark.size()) != kJournalMark ||
      text.size() < kJournalMark.size() + 8 * kNumbers) {
    return std::nullopt;
  }
  text.remove_prefix(kJournalMark.size());
  Journal journal;
  journal.read.device = takeNumber(&text);
  journal.read.index = takeNumber(&text);
  journal.read.size = takeNumber(&text);
  journal.read.modified = static_cast<std::int64_t>(takeNumber(&text));
  journal.read.changed = static_cast<std::int64_t>(takeNumber(&text));
  if (takeNumber(&text) != text.size()) return std::nullopt;
  journal.bytes = text;
  return journal;
}

// Writes the journal at `path` and syncs it and its folder; false on any
// failure, the system's error telling why.
bool writeJournal(const fs::path& path, const FileIdentity& read,
                  std::string_view bytes) {
  std::error_code ignored;
  fs::remove(path, ignored);  // a stale one, that no update finished
  bool exists = false;
  os::ScopedHandle file = os::createNewFile(path, &exists);
  if (!file.open()) return false;
  if (!os::writeAll(file.get(), journalFor(read, bytes)) ||
      !os::syncFile(file.get()) || !file.close()) {
    fs::remove(path, ignored);
    return false;
  }
  os::syncFolder(path.has_parent_path() ? path.parent_path() : fs::path("."));
  return true;
}

void removeJournal(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

}  // namespace

std::string journalFor(const FileIdentity& read, std::string_view bytes) {
  std::string out(kJournalMark);
  for (std::uint64_t number : {read.device, read.index, read.size,
                               static_cast<std::uint64_t>(read.modified),
                               static_cast<std::uint64_t>(read.changed),
                               static_cast<std::uint64_t>(bytes.size())}) {
    putNumber(&out, number);
  }
  out += bytes;
  return out;
}

SourceLock::SourceLock(const fs::path& path, std::chrono::milliseconds wait)
    : handle_(os::lockFile(path, wait, &busy_)) {}

fs::path journalPathOf(const fs::path& path) {
  fs::path name(".");
  name += path.filename().native();
  name += ".append";
  return path.parent_path() / name;
}

WriteResult appendWithJournal(const fs::path& path, const FileIdentity& read,
                              std::string_view readEnd,
                              std::string_view bytes) {
  const fs::path journal = journalPathOf(path);
  bool journaled = false;
  const WriteResult written = appendToFile(path, read, readEnd, bytes, [&] {
    journaled = writeJournal(journal, read, bytes);
    return journaled;
  });
  // Whole, failed and cut back, or changed by another: no append to finish.
  if (journaled) removeJournal(journal);
  return written;
}

Repair finishCutAppend(const fs::path& path) {
  const fs::path journalPath = journalPathOf(path);
  std::error_code error;
  if (!fs::exists(journalPath, error)) return {};
  const std::optional<FileText> text = loadFile(journalPath);
  const std::optional<Journal> journal =
      text ? parseJournal(text->view()) : std::nullopt;
  const std::optional<FileIdentity> now = identityOf(path);
  Repair repair;
  repair.status = RepairStatus::kStale;
  if (!journal || !now || now->device != journal->read.device ||
      now->index != journal->read.index || now->size < journal->read.size ||
      now->size - journal->read.size > journal->bytes.size()) {
    removeJournal(journalPath);
    return repair;
  }
  const auto present = static_cast<std::size_t>(now->size - journal->read.size);
  // With none of the lines in, the file must be as it was read; with some,
  // it must end in them.
  if (present == 0 && *now != journal->read) {
    removeJournal(journalPath);
    return repair;
  }
  const WriteResult written =
      appendToFile(path, *now, journal->bytes.substr(0, present),
                   journal->bytes.substr(present));
  if (written.status == WriteStatus::kFailed) {
    return {RepairStatus::kFailed, written.cause};
  }
  removeJournal(journalPath);
  if (written) repair.status = RepairStatus::kFinished;
  return repair;
}

Repair finishCutAppendBeforeReading(const fs::path& path) {
  std::error_code error;
  if (!fs::exists(journalPathOf(path), error)) return {};
  const SourceLock lock(path, kUpdateWait);
  if (lock.busy()) return {};
  return finishCutAppend(path);
}

}  // namespace parlavox
