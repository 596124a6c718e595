// A fresh folder for one test, removed with everything in it afterwards.
// File names are given and listed as the program holds names (UTF-8 on
// Windows).

#ifndef PARLAVOX_COMPILER_TEST_FOLDER_H_
#define PARLAVOX_COMPILER_TEST_FOLDER_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace parlavox {

class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` to the file `name` in the folder.
  void write(std::string_view name, std::string_view bytes) const;

  // The bytes of the file `name`; "<missing>" when there is none.
  std::string read(std::string_view name) const;

  bool exists(std::string_view name) const;

  // The names in the folder, sorted.
  std::vector<std::string> names() const;

 private:
  std::filesystem::path path_;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_TEST_FOLDER_H_
