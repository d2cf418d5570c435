#pragma once

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace aqv::test {

// The process that made a folder named "aqv-test-" + process + "-" + count; 0 for another name.
inline long long TestFolderMaker(const std::string& name) {
  constexpr std::string_view prefix = "aqv-test-";
  if (!name.starts_with(prefix)) return 0;
  const char* first = name.data() + prefix.size();
  const char* last = name.data() + name.size();
  long long process = 0;
  const auto [end, error] = std::from_chars(first, last, process);
  return error == std::errc() && end != first && end != last && *end == '-' ? process : 0;
}

// Removes the folders that test processes left in temp when they ended without removing their
// own (a crash, or the test runner's time limit): only folders named as TTempFolder names them,
// whose process is known to be gone. A folder of a running test, or of another user's, stays.
inline void RemoveFoldersOfEndedTests(const std::filesystem::path& temp) {
  std::error_code error;
  std::vector<std::filesystem::path> ended;
  for (const auto& entry : std::filesystem::directory_iterator(temp, error)) {
    const long long maker = TestFolderMaker(entry.path().filename().string());
    if (maker <= 0 || maker == ::getpid() || !entry.is_directory(error) ||
        entry.is_symlink(error))
      continue;
    if (::kill(static_cast<pid_t>(maker), 0) != 0 && errno == ESRCH) ended.push_back(entry.path());
  }
  for (const auto& folder : ended) std::filesystem::remove_all(folder, error);
}

// A new empty folder under the system's temporary folder, removed with everything in it when
// the object goes. A test process that ends before that (it crashed or was stopped) leaves its
// folders behind; the next test process to make one removes them.
class TTempFolder {
 public:
  TTempFolder() {
    static std::atomic<int> counter{0};
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    [[maybe_unused]] static const bool swept = (RemoveFoldersOfEndedTests(temp), true);
    mPath = temp / ("aqv-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
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
