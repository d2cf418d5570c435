#pragma once

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace aqv::test {

// A new empty folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TTempFolder {
 public:
  TTempFolder() {
    static std::atomic<int> counter{0};
    mPath = std::filesystem::temp_directory_path() /
            ("aqv-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(mPath);
    std::filesystem::create_directories(mPath);
  }
  ~TTempFolder() {
    std::error_code error;
    std::filesystem::remove_all(mPath, error);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The path of a name inside the folder.
  std::string Path(const std::string& name) const { return (mPath / name).string(); }
  const std::filesystem::path& Root() const { return mPath; }

  // Writes bytes into the named file (created or replaced).
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(mPath / name, std::ios::binary);
    out << bytes;
  }
  // The whole file; empty when it does not exist.
  std::string Read(const std::string& name) const {
    std::ifstream in(mPath / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(mPath))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path mPath;
};

}  // namespace aqv::test
