#include <gtest/gtest.h>

#include "model/file/WorldFile.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

// Other or short extensions, and a dot in a folder name, give no world file.
TEST(GetWorldFileName, ReplacesEachImageExtensionAndGivesNoneForOthers) {
  const std::pair<const char*, const char*> cases[] = {
      {"/maps/site.BMP", "/maps/site.BPW"},
      {"/maps/site.png", "/maps/site.pgw"},
      {"/maps/site.TIFF", "/maps/site.TFW"},
      {"/maps/site.tif", "/maps/site.tfw"},
      {"/maps/site.GIF", "/maps/site.GFW"},
      {"/maps/site.JPEG", "/maps/site.JGW"},
      {"/maps/site.jpg", "/maps/site.jgw"},
      {"/maps/v1.2/site.Png", "/maps/v1.2/site.PGW"},
      {"/maps/site.svg", ""},
      {"/maps/site.p", ""},
      {"/maps/site", ""},
      {"/maps.png/site", ""}};
  for (const auto& [image, world] : cases) EXPECT_EQ(GetWorldFileName(image), world) << image;
}

TEST(GetWorldFileName, FindsTheWorldFileInTheOtherCase) {
  const test::TTempFolder folder;
  folder.Write("photo.PGW", "1\n0\n0\n-1\n0\n0\n");
  EXPECT_EQ(GetWorldFileName(folder.Path("photo.png")), folder.Path("photo.PGW"));
}

}  // namespace
}  // namespace aqv
