#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/file/AQVFileIO.h"

namespace aqv::test {

// The bytes of a sample file in the test data folder.
inline std::string Sample(const std::string& name) {
  std::string bytes;
  EXPECT_EQ(ReadWholeFile(std::string(AQV_TEST_DATA_DIR) + "/" + name, bytes), TFileIOStatus::fiOK)
      << name;
  return bytes;
}

// text with the first from replaced by to; a from that is not there fails the test.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The lines of a CR LF text, without their ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines;
}

inline std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace aqv::test
