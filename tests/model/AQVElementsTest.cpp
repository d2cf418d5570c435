#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "model/AQVElements.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

TEST(FloatToStrTrim, FollowsFixedAndExponentRangesWithTheGivenSeparator) {
  EXPECT_EQ(FloatToStrTrim(7, 100000, 2.5, '.'), "2.5");
  EXPECT_EQ(FloatToStrTrim(7, 100000, 0.00001, '.'), "0.00001");
  EXPECT_EQ(FloatToStrTrim(7, 100000, 0.000009, '.'), "9E-06");
  EXPECT_EQ(FloatToStrTrim(7, 100000, 250000, '.'), "2.5E+05");
  EXPECT_EQ(FloatToStrTrim(7, 100000, 0, '.'), "0");
  EXPECT_EQ(FloatToStrTrim(7, 100000, -0.0, '.'), "0");
  EXPECT_EQ(FloatToStrTrim(7, 100000, 100000, '.'), "100000");
  EXPECT_EQ(FloatToStrTrim(7, 100000, -1234.5678, '.'), "-1234.568");
  // Six decimals at most in the fixed form.
  EXPECT_EQ(FloatToStrTrim(15, 100000, 0.1234567891, '.'), "0.123457");
  // The given decimal separator.
  EXPECT_EQ(FloatToStrTrim(7, 100000, 2.5, ','), "2,5");
  EXPECT_EQ(FloatToStrTrim(7, 100000, 250000, ','), "2,5E+05");
  EXPECT_EQ(FloatToStrTrim(7, 100000, 1000, ','), "1000");
}

TEST(StripDataFileExtension, TakesFileNameAndRemovesLowerCaseExtension) {
  EXPECT_EQ(StripDataFileExtension("C:\\data\\test.aqv"), "test");
  EXPECT_EQ(StripDataFileExtension("/home/ann/data/test.aqv"), "test");
  EXPECT_EQ(StripDataFileExtension("test.AQV"), "test.AQV");
  EXPECT_EQ(StripDataFileExtension("/home/ann/v1.aqv.d/test.aqv"), "test");
  EXPECT_EQ(StripDataFileExtension("noext"), "noext");
}

TEST(MakeUniqueFileName, CountsUpPastExistingFilesAndADotInAFolderDoesNotCutThePath) {
  const test::TTempFolder folder;
  const std::string doc = folder.Path("test.aqv");
  EXPECT_EQ(MakeUniqueFileName(doc, "fth"), folder.Path("test 00.fth"));
  folder.Write("test 00.fth", "x");
  folder.Write("test 01.fth", "x");
  EXPECT_EQ(MakeUniqueFileName(doc, "fth"), folder.Path("test 02.fth"));
  std::filesystem::create_directories(folder.Root() / "v1.d");
  EXPECT_EQ(MakeUniqueFileName(folder.Path("v1.d/pumping.test.aqv"), "xyz"),
            folder.Path("v1.d/pumping 00.xyz"));
}

TEST(Clamps, KeepValuesAwayFromZero) {
  EXPECT_EQ(std::tuple(ClampAwayFromZero(0.001, -0.0005), ClampAwayFromZero(0.001, 0.0005),
                       ClampAwayFromZero(0.001, -0.002), ClampAwayFromZero(0.001, 0.0)),
            std::tuple(0.001, 0.001, -0.002, 0.0));
  EXPECT_EQ(std::tuple(ClampMinAbs(0.001, -0.0005), ClampMinAbs(0.001, -2.0)),
            std::tuple(0.001, 2.0));
}

TEST(Version, StringsAreFormedFromTheCompiledVersion) {
  ResetGlobals();
  const TFileVersionStrings v = GetFileVersionStrings();
  EXPECT_EQ(v.Release.size(), 2u);
  std::string minor = v.Minor.size() == 1 ? "0" + v.Minor : v.Minor;
  EXPECT_EQ(Globals().VersionString, v.Major + "." + minor + "." + v.Release);
  EXPECT_EQ(Globals().EditionLabel, "Zelvor Edition " + Globals().VersionString);
  EXPECT_EQ(Globals().VersionString.substr(0, 4), v.Major + "." + minor.substr(0, 2));
}

TEST(Globals, ResetRestoresPreferenceDefaults) {
  Globals().NSt = 16;
  Globals().DataErrorText = "x";
  Globals().OptimizeCancelled = true;
  ResetGlobals();
  EXPECT_EQ(std::tuple(Globals().NSt, Globals().nlogcycle, Globals().ConvertLengthUnits,
                       Globals().ConvertTimeUnits, Globals().DefaultLengthUnits),
            std::tuple(10, 10, false, true, 1));
  EXPECT_EQ(std::tuple(Globals().DataErrorText, Globals().OptimizeCancelled),
            std::tuple("", false));
}

TEST(CutText, CountsCharactersNotBytes) {
  EXPECT_EQ(std::tuple(CutText("abcdef", 3), CutText("ab", 3)), std::tuple("abc", "ab"));
  EXPECT_EQ(CutText("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");  // "été" cut to "ét"
  EXPECT_EQ(CutText("\xC3\xA9", 0), "");
}

}  // namespace
}  // namespace aqv
