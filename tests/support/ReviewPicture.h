#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace aqv::test {

// Returns the path under which a test writes a picture for a person to look at: the folder
// named by AQV_REVIEW_DIR in the environment, else "review" in the build folder. The folder is
// created; a picture is never written to a fixed path shared with other programs.
inline std::string ReviewPath(const std::string& name) {
  const char* fromEnvironment = std::getenv("AQV_REVIEW_DIR");
  const std::filesystem::path folder =
      fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : AQV_REVIEW_DIR;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return (folder / name).string();
}

}  // namespace aqv::test
