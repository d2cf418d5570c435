#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "chart/Title.h"
#include "tests/support/EventLog.h"

namespace aqv {
namespace {

using test::TEventLog;

TEST(TTitle, StartsAutomaticWithBlackFontAndWhiteBorder) {
  const TTitle title;
  EXPECT_TRUE(title.Automatic());
  EXPECT_TRUE(title.Text().empty());
  EXPECT_FALSE(title.Selected());
  EXPECT_EQ(title.Font().Color(), clBlack);
  EXPECT_EQ(title.Font().Name(), kDefaultFontName);
  EXPECT_EQ(title.Patterns().Border().Color(), clWhite);
  EXPECT_EQ(title.Patterns().Area().Data(), TBrushData{});
  EXPECT_EQ(title.Alignment().Alignment(), TMyAlignmentTypes::maCenter);
}

TEST(TTitle, TextFiresAndAutomaticDoesNot) {
  TTitle title;
  TEventLog log(title);
  title.SetText("");
  title.SetText("  Chart 1");
  title.SetAutomatic(false);
  EXPECT_EQ(log.Senders, std::vector<TObject*>(2, &title));
  EXPECT_EQ(title.Text(), "  Chart 1");
  EXPECT_FALSE(title.Automatic());
}

TEST(TTitle, ForwardsAlignmentFontAndPatternsAsItself) {
  TTitle title;
  TEventLog log(title);
  title.Alignment().SetAlignment(TMyAlignmentTypes::maLeft);
  title.Font().SetStyle({TFontStyle::fsItalic});
  title.Patterns().Area().SetStyle(TBrushStyle::bsClear);
  title.Patterns().Border().SetColor(clBlack);
  EXPECT_EQ(log.Senders, std::vector<TObject*>(4, &title));
}

TEST(TTitle, CopyForwardsToItselfNotToTheOriginal) {
  auto original = std::make_unique<TTitle>();
  original->SetText("Y-axis");
  original->SetAutomatic(false);
  TEventLog originalLog(*original);

  TTitle copy(*original);
  EXPECT_EQ(copy.Data(), original->Data());
  TEventLog copyLog(copy);
  copy.Patterns().Border().SetColor(clRed);  // two levels down
  copy.Font().SetSize(20);
  EXPECT_TRUE(originalLog.Senders.empty());
  EXPECT_EQ(copyLog.Senders, std::vector<TObject*>(2, &copy));
  original.reset();
  copy.Alignment().SetOrientation(90);
  EXPECT_EQ(copyLog.Senders.size(), 3u);
}

TEST(TTitle, SetDataReplacesEverySettingWithOneEvent) {
  TTitle title;
  TEventLog log(title);
  TTitleData data;
  data.Alignment = {TMyAlignmentTypes::maRight, 270};
  data.Automatic = false;
  data.Font = {"Times New Roman", 12, clMaroon, {TFontStyle::fsBold, TFontStyle::fsUnderline}};
  data.Patterns.Area = {clCream, TBrushStyle::bsSolid};
  data.Text = "Time (d)";
  title.SetData(data);
  EXPECT_EQ(title.Data(), data);
  EXPECT_EQ(log.Senders, std::vector<TObject*>{&title});
}

}  // namespace
}  // namespace aqv
