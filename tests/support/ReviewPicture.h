#pragma once

#include <string>

namespace aqv::test {

// Returns the path under which a test writes a picture for a person to look at: the folder
// named by AQV_REVIEW_DIR in the environment, else "review" in the build folder. The folder is
// created; a picture is never written to a fixed path shared with other programs.
std::string ReviewPath(const std::string& name);

}  // namespace aqv::test
