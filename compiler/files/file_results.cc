#include "compiler/files/file_results.h"

#include <cstring>
#include <new>

#include "compiler/files/file_system.h"

namespace parlavox {

FileText::FileText(std::string_view bytes)
    : data_(std::make_unique_for_overwrite<char[]>(bytes.size())),
      size_(bytes.size()) {
  if (!bytes.empty()) std::memcpy(data_.get(), bytes.data(), bytes.size());
}

FileText FileText::uninitialised(std::size_t size) {
  FileText text;
  text.data_.reset(new (std::nothrow) char[size]);
  if (text.data_ != nullptr) {
    text.size_ = size;
    os::adviseLargePages(text.data_.get(), size);
  }
  return text;
}

}  // namespace parlavox
