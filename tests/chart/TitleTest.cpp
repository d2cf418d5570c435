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
  EXPECT_EQ(std::tuple(title.Automatic(), title.Text().empty(), title.Selected(),
                       title.Font().Color(), title.Font().Name(), title.Patterns().Border().Color(),
                       title.Patterns().Area().Data(), title.Alignment().Alignment()),
            std::tuple(true, true, false, clBlack, kDefaultFontName, clWhite, TBrushData{},
                       TMyAlignmentTypes::maCenter));
}

TEST(TTitle, TextFiresAndAutomaticDoesNot) {
  TTitle title;
  TEventLog log(title);
  title.SetText("");
  title.SetText("  Chart 1");
  title.SetAutomatic(false);
  EXPECT_EQ(std::tuple(log.Senders, title.Text(), title.Automatic()),
            std::tuple(std::vector<TObject*>(2, &title), "  Chart 1", false));
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
  EXPECT_EQ(std::tuple(originalLog.Senders.empty(), copyLog.Senders),
            std::tuple(true, std::vector<TObject*>(2, &copy)));
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
  EXPECT_EQ(std::tuple(title.Data(), log.Senders), std::tuple(data, std::vector<TObject*>{&title}));
}

}  // namespace
}  // namespace aqv
