#include "compiler/files/test_folder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "compiler/files/file_names.h"

namespace parlavox {

namespace fs = std::filesystem;

TestFolder::TestFolder() {
  std::random_device device;
  path_ =
      fs::temp_directory_path() /
      ("parlavox-test-" + std::to_string(device()) + std::to_string(device()));
  if (!fs::create_directory(path_)) {
    throw std::runtime_error("cannot create " + path_.string());
  }
}

TestFolder::~TestFolder() {
  std::error_code error;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

void TestFolder::write(std::string_view name, std::string_view bytes) const {
  std::ofstream file(path_ / pathFromBytes(name),
                     std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + std::string(name));
}

std::string TestFolder::read(std::string_view name) const {
  std::ifstream file(path_ / pathFromBytes(name), std::ios::binary);
  if (!file) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(file), {});
}

bool TestFolder::exists(std::string_view name) const {
  return fs::exists(path_ / pathFromBytes(name));
}

std::vector<std::string> TestFolder::names() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) {
    names.push_back(bytesFromPath(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace parlavox
