#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <tuple>
#include <utility>

#include "controls/MyColorgrd.h"
#include "map/gui/AQVKaart.h"
#include "map/gui/AQVTextEdit.h"
#include "map/gui/AQVTextEditOptions.h"
#include "tests/map/gui/MapGuiFixture.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Clicks.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"

namespace aqv {
namespace {

using test::TMapFixture;

constexpr auto IsDark = [](QColor c) { return c.lightness() < 100; };

TAQVTextBoxRecord* AddBox(TAQVData& data, int anchor, double x, double y, const std::string& text) {
  auto* record = data.TextBoxes.emplace_back(std::make_unique<TAQVTextBoxRecord>()).get();
  record->AnchorMode = anchor;
  record->X = x;
  record->Y = y;
  record->Width = 120;
  record->Height = 40;
  record->Text = text;
  record->ClearBackground = false;
  record->Color = clYellow;
  record->FramePenStyle = TPenStyle::psSolid;
  record->FrameWidth = 1;
  return record;
}

TEST_F(TMapFixture, CornerBoxFollowsTheLegendFromRightToLeft) {
  TAQVTextBoxRecord* box = AddBox(*mData, 2, 120, -10, "Corner");
  mMap->SyncTextEdits();
  PlaceTexts();
  EXPECT_EQ(std::tuple(box->PixelX, box->PixelY),
            std::tuple(mMap->EastPixel() - 120, mMap->NorthPixel() + 10));
  mMap->SetLegendPlacement(TPlacement::plLeft);
  PlaceTexts();
  EXPECT_EQ(std::tuple(box->AnchorMode, box->PixelX, box->PixelY),
            std::tuple(4, mMap->WestPixel() - 120 - (mMap->LegendWidth() + 20),
                       mMap->SouthPixel() + 10 - 55));
  // A box pushed off the picture's left edge keeps its data but is not painted.
  EXPECT_EQ(mMap->TextEditOf(box)->Shown(), box->PixelX >= 0 && box->PixelY >= 0);
  // Without a legend the box keeps its corner: offsets count from the window's own edges.
  mMap->SetLegendPlacement(TPlacement::plNone);
  box->X = -30;
  box->Y = -20;
  for (int mode : {2, 3, 4, 5}) {
    box->AnchorMode = mode;
    PlaceTexts();
    const bool west = mode == 4 || mode == 5, north = mode == 2 || mode == 5;
    EXPECT_EQ(box->PixelX, (west ? mMap->WestPixel() : mMap->EastPixel()) + 30) << mode;
    EXPECT_EQ(box->PixelY, (north ? mMap->NorthPixel() : mMap->SouthPixel()) + 20) << mode;
    EXPECT_TRUE(mMap->TextEditOf(box)->Shown());
  }
}

TEST_F(TMapFixture, WorldBoxTouchingThePlotEdgeOrFarAwayIsNotPainted) {
  TAQVTextBoxRecord* inside = AddBox(*mData, 1, -300, 200, "Inside");
  mMap->SyncTextEdits();
  mMap->ComputeLayout(mMap->width(), mMap->height());
  const double edgeX = mMap->ScreenToWorldX(mMap->PlotLayout().Left);
  TAQVTextBoxRecord* edge = AddBox(*mData, 1, edgeX, 200, "Edge");
  TAQVTextBoxRecord* far = AddBox(*mData, 1, 1e200, -1e200, "Far");
  mMap->SyncTextEdits();
  mMap->RepositionTexts(true);
  EXPECT_TRUE(mMap->TextEditOf(inside)->Shown());
  EXPECT_FALSE(mMap->TextEditOf(edge)->Shown());
  EXPECT_EQ(edge->PixelX, mMap->PlotLayout().Left);
  EXPECT_EQ(std::tuple(far->PixelX, far->PixelY), std::tuple(kPixelLimit, kPixelLimit));
  EXPECT_FALSE(mMap->TextEditOf(far)->Shown());
  // Nor can its corner be taken with the mouse.
  const QPoint corner = mMap->TextEditOf(edge)->BoxRect().topLeft();
  QTest::mousePress(mMap.get(), Qt::LeftButton, {}, corner);
  EXPECT_EQ(mData->SelectedTextBox, nullptr);
  QTest::mouseRelease(mMap.get(), Qt::LeftButton, {}, corner);
}

TEST_F(TMapFixture, TextBoxesAppearInTheRenderedPicture) {
  AddBox(*mData, 1, -420, 330, "World anchored\nsecond line");
  TAQVTextBoxRecord* corner = AddBox(*mData, 2, -15, -110, "Legend");
  corner->ClearBackground = true;
  corner->Alignment = 3;  // right
  corner->FramePenStyle = TPenStyle::psDash;
  mData->SelectedTextBox = corner;  // a copy leaves the selection frame out
  // A box a file keeps for copies only, at its own pixels: in the picture, not on the screen.
  TAQVTextBoxRecord* copies = AddBox(*mData, 0, 0, 0, "Copies only");
  copies->Kind = 1;
  copies->PixelX = 30;
  copies->PixelY = 440;
  const QPoint copiesInside(copies->PixelX + 100, copies->PixelY + 30);
  mMap->SyncTextEdits();
  EXPECT_NE(mMap->grab().toImage().pixelColor(copiesInside), QColor(Qt::yellow));
  const QImage image = Picture(QSize(700, 500), "map-text-boxes.png");
  EXPECT_EQ(image.pixelColor(copiesInside), QColor(Qt::yellow));
  mMap->RepositionTexts(true);
  const QRect box = mMap->TextEditOf(mData->TextBoxes[0].get())->BoxRect();
  // The yellow background of the first box is in the picture, with its text on it.
  EXPECT_EQ(image.pixelColor(box.right() - 2, box.bottom() - 2), QColor(Qt::yellow));
  EXPECT_GT(test::CountPixels(image, IsDark, box), 40);
  // The corner box has no background and a dashed frame one pixel outside it.
  const QRect frame = mMap->TextEditOf(corner)->BoxRect();
  EXPECT_EQ(corner->AnchorMode, 2);
  EXPECT_EQ(frame.topLeft(), QPoint(mMap->EastPixel() + 15, mMap->NorthPixel() + 110));
  const int dashes =
      test::CountPixels(image, IsDark, QRect(frame.left(), frame.top() - 1, frame.width(), 1));
  EXPECT_GT(dashes, frame.width() / 4);
  EXPECT_LT(dashes, frame.width() * 9 / 10);
  // Its text stands at its right.
  const QRect inner = frame.adjusted(1, 1, -1, -1), half(0, 0, inner.width() / 2, inner.height());
  EXPECT_EQ(test::CountPixels(image, IsDark, half.translated(inner.topLeft())), 0);
  EXPECT_GT(test::CountPixels(image, IsDark, half.translated(inner.center().x(), inner.top())), 20);
  // A drawing of another size has the boxes too, and leaves those on the screen where they were.
  const QRect shown = mMap->TextEditOf(corner)->BoxRect();
  const QByteArray svg = mMap->RenderSvg(QSize(350, 260));
  EXPECT_TRUE(svg.contains(">World anchored<") && svg.contains(">Legend<"));
  EXPECT_EQ(mMap->TextEditOf(corner)->BoxRect(), shown);
}

TEST_F(TMapFixture, InsertTextInsideThePlotAnchorsToTheWorldAndOutsideBesideTheLegend) {
  using enum TPlacement;
  mMap->ComputeLayout(mMap->width(), mMap->height());
  TAQVTextEdit* inside = mMap->InsertText(QStringLiteral("here"), 200, 200, 26, 100);
  ASSERT_NE(inside, nullptr);
  EXPECT_EQ(inside->Record()->AnchorMode, 1);
  EXPECT_NEAR(inside->Record()->X, mMap->ScreenToWorldX(200), 1e-9);
  // The format chosen for a box is the next box's: font, alignment and background.
  test::AnswerDialog<TAQVTextEditOptionsForm>([](TAQVTextEditOptionsForm& form) {
    test::ClickBox(test::RadioButton(form, "Center"));
    for (QCheckBox* bold : form.findChildren<QCheckBox*>())
      if (bold->text() == "Bold") test::ClickBox(bold);
    test::ClickPage(form, "Background");
    auto* colours = form.findChild<TMyColorGrid*>(QStringLiteral("bgColor"));
    QTest::mouseClick(colours, Qt::RightButton, {}, colours->CellRect(9).center());
    test::PressButton(form, "OK");
  });
  mMap->ExecuteTextOptionsDialog(inside);
  TAQVTextEdit* outside = mMap->InsertText(QStringLiteral("there"), 5, 5, 26, 100);
  const TAQVTextBoxRecord& next = *outside->Record();
  EXPECT_EQ(std::tuple(next.Alignment, next.Font.Style.Contains(TFontStyle::fsBold), next.Color,
                       next.ClearBackground),
            std::tuple(2, true, TMyColorGrid::CellColor(9), false));
  // Beside the legend on the right.
  EXPECT_EQ(std::tuple(next.AnchorMode, mData->TextBoxes.size(), mData->Saved),
            std::tuple(2, 2u, false));
  mMap->DeleteText(inside);
  EXPECT_EQ(std::tuple(mData->TextBoxes.size(), mMap->TextEdits().size()), std::tuple(1u, 1u));
  // Wherever the legend is, or with none, a box put outside the plot stays where it was put.
  for (const TPlacement legend : {plBottom, plLeft, plTop, plNone}) {
    mMap->SetLegendPlacement(legend);
    for (const QPoint at : {QPoint(5, 5), QPoint(690, 490)}) {
      TAQVTextEdit* box = mMap->InsertText(QStringLiteral("there"), at.x(), at.y(), 26, 100);
      mMap->RepositionTexts(true);
      EXPECT_EQ(box->BoxRect().topLeft(), at) << static_cast<int>(legend);
      // With no legend it keeps to the window's nearest corner: north-west or south-east here.
      if (legend == plNone) {
        EXPECT_EQ(box->Record()->AnchorMode, at.x() < 100 ? 5 : 3);
      }
    }
  }
}

TEST(LineBreaks, EveryKindOfBreakIsKeptThroughTheRecord) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\r\nb", "a\nb"}, {"a\nb", "a\nb"}, {"a\rb", "a\nb"}, {"a\r\n\r\nb\n", "a\n\nb\n"}};
  for (const auto& [record, shown] : cases) {
    SCOPED_TRACE(::testing::PrintToString(record));
    const QString edit = RecordTextToEdit(record);
    EXPECT_EQ(edit, QString::fromLatin1(shown));
    const std::string back = EditTextToRecord(edit);
    EXPECT_EQ(RecordTextToEdit(back), edit);
    // Only CR LF pairs remain, so the record line's "&crnl;" carries each break once.
    for (std::size_t i = 0; i < back.size(); ++i) {
      ASSERT_TRUE(back[i] != '\n' || (i > 0 && back[i - 1] == '\r')) << i;
      ASSERT_TRUE(back[i] != '\r' || (i + 1 < back.size() && back[i + 1] == '\n')) << i;
    }
  }
}

// Counts the pixels of the box's yellow background and of its black text inside rect.
struct TBoxPixels {
  int Yellow = 0, Dark = 0;
};
TBoxPixels BoxPixels(const QImage& image, const QRect& rect) {
  const QRect inside = rect.adjusted(2, 2, -2, -2);
  return {test::CountColour(image, Qt::yellow, inside), test::CountPixels(image, IsDark, inside)};
}

class TTextBoxMouse : public TMapFixture {
 protected:
  void SetUp() override {
    TMapFixture::SetUp();
    mBox = AddBox(*mData, 1, -300, 200, "Drag me");
    mMap->SyncTextEdits();
    PlaceTexts();
    QApplication::setActiveWindow(mMap.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(mMap.get()));
  }
  QRect Rect() const { return mMap->TextEditOf(mBox)->BoxRect(); }
  // Right-clicks the map away from the box and clicks item of its menu.
  void ChooseFromMenu(const QString& item) {
    QTest::mousePress(mMap.get(), Qt::RightButton, Qt::NoModifier, QPoint(600, 450));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions())
      if (action->text() == item)
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  }
  // The box back at its first size, where it then is.
  QRect Reset() {
    mBox->Width = 120;
    mBox->Height = 40;
    mMap->RepositionTexts(true);
    return Rect();
  }
  TAQVTextBoxRecord* mBox = nullptr;
};

TEST_F(TTextBoxMouse, MovedByItsTopEdgeItKeepsItsTextInsideTheMapAndAnchorsWhereItIsLet) {
  const QRect start = Rect();
  // A window change moves the box with its world point at once, in the record a save writes.
  for (const QString& item : {QStringLiteral("Zoom out"), QStringLiteral("Previous view")}) {
    ChooseFromMenu(item);
    (void)mMap->grab();  // the map drawn for the new window
    EXPECT_EQ(Rect().topLeft(), Pixel(-300, 200)) << item.toStdString();
  }
  EXPECT_EQ(Rect(), start);
  // The cursor shows what the mouse would take: the box's top edge moves it, a corner sizes it,
  // inside edits its text; away from it the map's arrow.
  const std::pair<QPoint, Qt::CursorShape> cursors[] = {
      {start.topLeft() + QPoint(20, 1), Qt::SizeAllCursor},
      {start.topLeft(), Qt::SizeFDiagCursor},
      {start.center(), Qt::IBeamCursor},
      {start.center() + QPoint(0, 200), Qt::ArrowCursor}};
  for (const auto& [at, shape] : cursors) {
    QTest::mouseMove(mMap.get(), at);
    EXPECT_EQ(mMap->cursor().shape(), shape) << at.x() << "," << at.y();
  }
  // The top edge, 4 px in from either end, is the move handle; during the move the whole box
  // is painted where it goes, its text too.
  const QPoint to = start.topLeft() + QPoint(60, 32);
  Drag(start.topLeft() + QPoint(10, 2), to, false);
  const QRect moved = Rect();
  EXPECT_EQ(moved, start.translated(50, 30));
  const TBoxPixels during = BoxPixels(mMap->grab().toImage(), moved);
  EXPECT_GT(during.Yellow, moved.width() * moved.height() / 2);
  EXPECT_GT(during.Dark, 20);
  EXPECT_EQ(BoxPixels(mMap->grab().toImage(), QRect(start.topLeft(), QSize(45, 25))).Yellow, 0);
  QTest::mouseRelease(mMap.get(), Qt::LeftButton, Qt::NoModifier, to);
  // Let go inside the plot: anchored to the world point under its top-left corner.
  EXPECT_DOUBLE_EQ(mBox->X, mMap->ScreenToWorldX(moved.left()));
  EXPECT_DOUBLE_EQ(mBox->Y, mMap->ScreenToWorldY(moved.top()));
  EXPECT_EQ(std::tuple(mBox->AnchorMode, Rect(), mData->SelectedTextBox, mData->Saved),
            std::tuple(1, moved, nullptr, false));
  // Dragged far beyond the right edge it stops at the map's edge, and let go outside the plot
  // it is anchored beside the legend, to the window's north-east corner.
  Drag(moved.topLeft() + QPoint(10, 2), QPoint(mMap->width() + 300, moved.top() + 2));
  EXPECT_EQ(std::tuple(Rect().right(), mBox->AnchorMode, mBox->X, mBox->Y),
            std::tuple(mMap->width() - 1, 2, mMap->EastPixel() - Rect().left(),
                       mMap->NorthPixel() - Rect().top()));
  // Far below the bottom edge likewise.
  const QRect east = Rect();
  Drag(east.topLeft() + QPoint(10, 2), QPoint(east.left() + 10, mMap->height() + 300));
  EXPECT_EQ(Rect().bottom(), mMap->height() - 1);
  mMap->grab().save(QString::fromStdString(test::ReviewPath("map-text-box-moved.png")));
}

TEST_F(TTextBoxMouse, CornerHandlesResizeDownToOnePixelAndTheInsideOnlyEdits) {
  const QRect start = Rect();
  // Bottom-right handle: the far corner follows the mouse, never above or left of the near one.
  const QPoint to = start.bottomRight() + QPoint(43, 23);
  Drag(start.bottomRight() + QPoint(3, 3), to);
  EXPECT_EQ(Rect(), QRect(start.topLeft(), to - QPoint(1, 1)));
  const QRect grown = Rect();
  Drag(grown.bottomRight() + QPoint(1, 1), grown.topLeft() - QPoint(30, 30));
  EXPECT_EQ(Rect().size(), QSize(1, 1));
  // Top-left handle: the near corner follows, the far one stays.
  const QRect again = Reset();
  Drag(again.topLeft() + QPoint(-3, -3), again.topLeft() + QPoint(-23, -13));
  EXPECT_EQ(Rect(), QRect(again.topLeft() - QPoint(23, 13), again.bottomRight()));
  const QRect bigger = Rect();
  Drag(bigger.topLeft(), bigger.bottomRight() + QPoint(50, 50));
  EXPECT_EQ(Rect(), QRect(bigger.bottomRight(), QSize(1, 1)));
  // 5 px above the box or inside it is no handle: nothing moves, and a click inside edits.
  const QRect plain = Reset();
  // A left click 3 px beside the box edits it; a no-break space read from a file stays as it is.
  mBox->Text = "a\xC2\xA0" "b";
  mData->Saved = true;
  QTest::mouseClick(mMap.get(), Qt::LeftButton, Qt::NoModifier, plain.topLeft() + QPoint(-3, 20));
  EXPECT_EQ(std::tuple(mMap->TextEditOf(mBox)->hasFocus(), mBox->Text, mData->Saved),
            std::tuple(true, "a\xC2\xA0" "b", true));
  Drag(plain.topLeft() + QPoint(30, -5), plain.topLeft() + QPoint(80, 40));
  EXPECT_EQ(Rect(), plain);
  Drag(plain.center(), plain.center() + QPoint(30, 30));
  EXPECT_EQ(Rect(), plain);
  // The menu of a right click on a handle, closed again, leaves no handle taken (the menu takes
  // the button's release).
  QTest::mousePress(mMap.get(), Qt::RightButton, Qt::NoModifier, plain.topLeft());
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  menu->close();
  QTest::mouseClick(mMap.get(), Qt::LeftButton, Qt::NoModifier, plain.center());
  TAQVTextEdit* edit = mMap->TextEditOf(mBox);
  EXPECT_EQ(std::tuple(edit->isVisible(), edit->hasFocus()), std::tuple(true, true));
  // A click on the map away from the box ends its editing: the map paints it again.
  QTest::mouseClick(mMap.get(), Qt::LeftButton, Qt::NoModifier,
                    plain.bottomRight() + QPoint(80, 80));
  EXPECT_EQ(std::tuple(edit->hasFocus(), edit->isVisible()), std::tuple(false, false));
  EXPECT_GT(BoxPixels(mMap->grab().toImage(), plain).Dark, 20);
  // Editing ended by a click on another field of the window leaves no outline of it on the
  // screen, read back as painted (the box has no frame of its own there).
  mBox->FramePenStyle = TPenStyle::psClear;
  QWidget window;
  window.resize(mMap->width() + 200, mMap->height());
  auto* field = new QLineEdit(&window);
  field->move(mMap->width() + 10, 10);
  mMap->setParent(&window);
  mMap->move(0, 0);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::mouseClick(mMap.get(), Qt::LeftButton, Qt::NoModifier, plain.center());
  ASSERT_TRUE(edit->hasFocus());
  QApplication::processEvents();
  QTest::mouseClick(field, Qt::LeftButton);
  EXPECT_FALSE(edit->isVisible());
  QApplication::processEvents();
  const QImage screen =
      window.screen()->grabWindow(window.winId(), 0, 0, mMap->width(), mMap->height()).toImage();
  const QImage fresh = mMap->grab().toImage();
  mMap->setParent(nullptr);  // the fixture owns the map
  EXPECT_EQ(screen.convertToFormat(QImage::Format_RGB32),
            fresh.convertToFormat(QImage::Format_RGB32));
}

TEST_F(TMapFixture, RecordLineAndTypedTextRoundTripAndAMalformedLineLeavesTheBoxUnchanged) {
  TAQVTextBoxRecord* record = AddBox(*mData, 1, 12.5, -3, "x");
  record->Font.Name = "Times New Roman";
  mMap->SyncTextEdits();
  TAQVTextEdit* edit = mMap->TextEditOf(record);
  const std::string line = edit->GetPropertiesText();
  EXPECT_NE(line.find("\"Times New Roman\""), std::string::npos);
  const TAQVTextBoxRecord before = *record;
  EXPECT_FALSE(edit->SetPropertiesText("TME,1,2"));
  EXPECT_FALSE(edit->SetPropertiesText("XYZ" + line.substr(3)));
  EXPECT_EQ(*record, before);
  record->Font.Name = "Tahoma";
  EXPECT_TRUE(edit->SetPropertiesText(line));
  EXPECT_EQ(std::tuple(record->Font.Name, record->X), std::tuple("Times New Roman", 12.5));
  edit->SetEncodedText("one&crnl;two");
  EXPECT_EQ(edit->toPlainText(), QStringLiteral("one\ntwo"));
  EXPECT_EQ(record->Text, "one\r\ntwo");
  // Typed text reaches the record with CR LF breaks.
  TAQVTextEdit* typed = mMap->InsertText(QString(), 200, 200, 60, 120);
  typed->setFocus();
  QTest::keyClicks(typed, QStringLiteral("ab"));
  QTest::keyClick(typed, Qt::Key_Return);
  QTest::keyClicks(typed, QStringLiteral("cd"));
  EXPECT_EQ(std::tuple(typed->Record()->Text, typed->GetEncodedText()),
            std::tuple("ab\r\ncd", "ab&crnl;cd"));
  // The box being typed in shows its own background, not the map under it.
  typed->Record()->Color = clYellow;
  typed->LoadFromRecord();
  const QImage typing = typed->grab().toImage();
  EXPECT_EQ(typing.pixelColor(typing.width() - 5, typing.height() - 5), QColor(Qt::yellow));
}

TEST_F(TMapFixture, RecordsReplacedByTheDocumentNeverLeaveAStaleEdit) {
  AddBox(*mData, 1, -300, 200, "first");
  mMap->SyncTextEdits();
  ASSERT_EQ(mMap->TextEdits().size(), 1u);
  // A file read replaces the records: same count, other objects.
  mData->TextBoxes.clear();
  TAQVTextBoxRecord* second = AddBox(*mData, 1, -200, 100, "second");
  const QImage image = mMap->RenderImage(QSize(700, 500));
  ASSERT_EQ(mMap->TextEdits().size(), 1u);
  EXPECT_EQ(mMap->TextEdits()[0]->Record(), second);
  // The new record may sit where the old one was: the live edit reads its record when it is
  // made live, so it never shows or stores the old text.
  mMap->TextEdits()[0]->Activate();
  EXPECT_EQ(mMap->TextEdits()[0]->toPlainText(), QStringLiteral("second"));
}

}  // namespace
}  // namespace aqv
