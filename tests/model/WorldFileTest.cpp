#include "model/WorldFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace aqv {
namespace {

TEST(GetWorldFileName, ReplacesEachImageExtension) {
  struct TCase {
    const char* image;
    const char* world;
  };
  const TCase cases[] = {
      {"/maps/site.BMP", "/maps/site.BPW"},  {"/maps/site.png", "/maps/site.pgw"},
      {"/maps/site.TIFF", "/maps/site.TFW"}, {"/maps/site.tif", "/maps/site.tfw"},
      {"/maps/site.GIF", "/maps/site.GFW"},  {"/maps/site.JPEG", "/maps/site.JGW"},
      {"/maps/site.jpg", "/maps/site.jgw"},  {"/maps/v1.2/site.Png", "/maps/v1.2/site.PGW"},
  };
  for (const TCase& c : cases) EXPECT_EQ(GetWorldFileName(c.image), c.world) << c.image;
}

TEST(GetWorldFileName, OtherOrShortExtensionsHaveNone) {
  EXPECT_EQ(GetWorldFileName("/maps/site.svg"), "");
  EXPECT_EQ(GetWorldFileName("/maps/site.p"), "");
  EXPECT_EQ(GetWorldFileName("/maps/site"), "");
  EXPECT_EQ(GetWorldFileName("/maps.png/site"), "") << "a dot in a folder is no extension";
}

TEST(GetWorldFileName, FindsTheWorldFileInTheOtherCase) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("aqv-world-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "photo.PGW") << "1\n0\n0\n-1\n0\n0\n";
  EXPECT_EQ(GetWorldFileName((folder / "photo.png").string()), (folder / "photo.PGW").string());
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace aqv
