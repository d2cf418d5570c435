#include "tests/support/ReviewPicture.h"

#include <cstdlib>
#include <filesystem>

namespace aqv::test {

// The build folder is compiled into this file alone, so that every other test object is the
// same in each build folder and the compiler cache can share it.
std::string ReviewPath(const std::string& name) {
  const char* fromEnvironment = std::getenv("AQV_REVIEW_DIR");
  const std::filesystem::path folder =
      fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : AQV_REVIEW_DIR;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return (folder / name).string();
}

}  // namespace aqv::test
