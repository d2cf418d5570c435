#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <tuple>

#include "controls/TransMemo.h"
#include "tests/support/Pixels.h"

namespace aqv {
namespace {

// A parent that paints a solid picture over all of itself.
class TPictureWidget : public QWidget {
 public:
  QColor Fill = QColor(200, 30, 40);

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Fill);
  }
};

// Counts pixels of the picture's colour inside rect of the rendered parent.
int PicturePixels(TPictureWidget& parent, const QRect& rect) {
  return test::CountColour(parent.grab().toImage(), parent.Fill, rect);
}

QRect ClientInParent(const TTransMemo& memo) {
  return QRect(memo.PositionInParent(), memo.viewport()->size()).adjusted(2, 2, -2, -2);
}

TEST(TransMemo, TransparentMemoShowsThePictureAfterTypingMovingAndResizingAndOpaqueHidesIt) {
  TPictureWidget parent;
  parent.resize(240, 180);
  auto* memo = new TTransMemo(&parent);
  memo->setGeometry(20, 20, 120, 80);
  EXPECT_EQ(PicturePixels(parent, ClientInParent(*memo)), 0);
  memo->SetTransparent(true);
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

  const auto mostlyPicture = [&] {
    const QRect client = ClientInParent(*memo);
    return PicturePixels(parent, client) > client.width() * client.height() * 9 / 10;
  };
  EXPECT_TRUE(mostlyPicture());
  memo->setFocus();
  QTest::keyClicks(memo, "well W1");
  EXPECT_EQ(std::tuple(memo->toPlainText(), mostlyPicture()), std::tuple("well W1", true));
  memo->move(60, 70);
  EXPECT_TRUE(mostlyPicture());
  memo->resize(150, 100);
  EXPECT_TRUE(mostlyPicture());
  // The text itself is drawn on top: some pixels in the memo are not the picture.
  const QRect client = ClientInParent(*memo);
  EXPECT_LT(PicturePixels(parent, client), client.width() * client.height());
}

// The x of the first text pixel of the first line (dark pixels on the white memo).
int FirstInkColumn(TTransMemo& memo) {
  const QImage image = memo.viewport()->grab().toImage();
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height() / 2; ++y)
      if (QColor(image.pixel(x, y)).lightness() < 128) return x;
  return -1;
}

TEST(TransMemo, SwitchingAlignTextRealignsTheExistingTextAndTransparentWithoutParentDoesNotFail) {
  TTransMemo memo;
  memo.resize(300, 80);
  memo.setPlainText("abc\nsecond line");
  const int left = FirstInkColumn(memo);
  memo.SetAlignText(Qt::AlignHCenter);
  const int centre = FirstInkColumn(memo);
  memo.SetAlignText(Qt::AlignRight);
  const int right = FirstInkColumn(memo);
  EXPECT_LT(left, centre);
  EXPECT_LT(centre, right);
  memo.SetAlignText(Qt::AlignLeft);
  EXPECT_EQ(FirstInkColumn(memo), left);
  EXPECT_EQ(memo.toPlainText(), "abc\nsecond line");
  memo.SetTransparent(true);
  memo.setPlainText("alone");
  EXPECT_EQ(memo.PositionInParent(), QPoint(0, 0));
  EXPECT_FALSE(memo.grab().isNull());
}

}  // namespace
}  // namespace aqv
