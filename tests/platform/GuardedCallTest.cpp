#include <gtest/gtest.h>

#include <QPushButton>
#include <stdexcept>

#include "platform/GuardedCall.h"
#include "tests/support/FakeUserInterface.h"

namespace aqv {
namespace {

TEST(GuardedCall, ThrownExceptionBecomesErrorBoxAndFalseAndFinishedWorkShowsNothing) {
  test::TFakeUserInterface ui;
  int restored = 0;
  const bool ok = GuardedCall(
      ui, [] { throw std::runtime_error("Could not open /data/test.aqv!"); }, [&] { ++restored; });
  EXPECT_FALSE(ok);
  EXPECT_EQ(restored, 1);
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "Could not open /data/test.aqv!");
  EXPECT_EQ(ui.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_EQ(ui.Messages[0].Buttons, TMsgDlgButtons::mbOK);
  // Finished work shows nothing and restores nothing.
  test::TFakeUserInterface quiet;
  int ran = 0;
  EXPECT_TRUE(GuardedCall(
      quiet, [&] { ++ran; }, [&] { ++restored; }));
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(restored, 1);
  EXPECT_TRUE(quiet.Messages.empty());
}

TEST(GuardedCall, ForeignExceptionShowsAGeneralMessageAndFailingRestoreTheOriginalError) {
  test::TFakeUserInterface foreign, restore;
  EXPECT_FALSE(GuardedCall(foreign, [] { throw 42; }));
  EXPECT_EQ(foreign.OnlyMessage(), kUnknownErrorText);
  EXPECT_FALSE(GuardedCall(
      restore, [] { throw std::out_of_range("row 0"); },
      [] { throw std::logic_error("restore failed"); }));
  EXPECT_EQ(restore.OnlyMessage(), "row 0");
}

TEST(GuardedCall, ExceptionNeverLeavesASlot) {
  test::TFakeUserInterface ui;
  QPushButton button;
  bool result = true;
  QObject::connect(&button, &QPushButton::clicked,
                   [&] { result = GuardedCall(ui, [] { throw std::bad_alloc(); }); });
  button.click();
  EXPECT_FALSE(result);
  EXPECT_EQ(ui.Messages.size(), 1u);
}

}  // namespace
}  // namespace aqv
