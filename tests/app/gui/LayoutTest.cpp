#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QScrollBar>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <memory>

#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/About.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/FEMGridForm.h"
#include "app/gui/MAIN.h"
#include "app/gui/Preferences.h"
#include "app/gui/SelectionGrid.h"
#include "app/gui/Splash.h"
#include "chart/gui/CanvasDimensionsForm.h"
#include "chart/gui/ChartOptions.h"
#include "chart/gui/FormatOptions.h"
#include "chart/gui/SelectSeriesForm.h"
#include "map/gui/AQVKaartOptions.h"
#include "map/gui/AQVTextEditOptions.h"
#include "map/gui/FilesSelection.h"
#include "map/gui/Progress.h"
#include "model/AQVElements.h"
#include "platform/AQVOutputForm.h"
#include "tests/app/gui/LayoutCheck.h"
#include "tests/support/Clicks.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/ReviewPicture.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

// The sizes every dialog is checked at: its own, the smallest screen the program serves and a
// large one.
struct TSize {
  const char* Name;
  QSize Size;  // empty: the window's own default size
};
const TSize kSizes[] = {
    {"default", QSize()}, {"800x600", QSize(800, 600)}, {"1600x1000", QSize(1600, 1000)}};

// The least sizes the document window promises its time graph and its map, pixels.
const QHash<QString, QSize> kPromised = {{QStringLiteral("AQVChart"), QSize(480, 320)},
                                         {QStringLiteral("AQVKaart"), QSize(320, 240)}};

// Shows each page of every tab widget in window by clicking its tab, and expects the layout on
// each to hold together; a window without tabs is checked as it is.
void ExpectNoFaultOnAnyPage(QWidget& window, const QString& picture) {
  QStringList faults;
  QTabWidget* tabs = window.findChildren<QTabWidget*>().value(0);  // the first, if any
  auto check = [&](const QString& page) {
    QApplication::processEvents();
    for (const QString& fault : test::TLayoutCheck::Faults(&window, kPromised))
      faults << page + ": " + fault;
    window.grab().save(
        QString::fromStdString(test::ReviewPath((picture + "_" + page + ".png").toStdString())));
  };
  if (tabs == nullptr) check(QStringLiteral("window"));
  for (int i = 0; tabs != nullptr && i < tabs->count(); ++i) {
    if (!tabs->isTabVisible(i)) continue;
    SCOPED_TRACE(picture.toStdString());
    test::ClickTab(tabs, i);
    check(QString::number(i));
  }
  EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
}

void ShowPageByTab(TMDIChild& child, TDocumentPage page) {
  test::ClickTab(child.PageControl(), static_cast<int>(page));
  QApplication::processEvents();
}

// Sized after showing: the test screen is smaller than some of the sizes.
void ShowAt(QWidget& window, const TSize& size) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  if (!size.Size.isEmpty()) window.resize(size.Size);
  QApplication::processEvents();
}

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobals(); }
  void TearDown() override { ResetGlobals(); }
  test::TFakeUserInterface mUi;
};

// The frame at its default size on a large screen, on the smallest screen served and on a
// large one; the sample in feet and minutes has the longest column captions.
TEST_F(LayoutTest, DocumentWindowPagesHoldTogetherAtEverySize) {
  for (TSize size : kSizes) {
    SCOPED_TRACE(size.Name);
    if (size.Size.isEmpty()) size.Size = DefaultFrameSize(QRect(0, 0, 1920, 1200));
    TMainForm form(&mUi);
    ShowAt(form, size);
    ASSERT_TRUE(form.OpenFile(AQV_TEST_DATA_DIR "/v2009.aqv", false));
    TMDIChild* child = form.ActiveChild();
    ASSERT_NE(child, nullptr);
    ExpectNoFaultOnAnyPage(*child, QStringLiteral("document_%1").arg(size.Name));
    // Every field is named by its caption, which the check above finds beside or above it.
    QSet<const QWidget*> captioned;
    for (const QLabel* label : child->findChildren<QLabel*>()) captioned.insert(label->buddy());
    for (const QLineEdit* field : child->findChildren<QLineEdit*>())
      EXPECT_TRUE(captioned.contains(field)) << field->objectName().toStdString();
    const QList<TMyParentGrid*> grids = child->findChildren<TMyParentGrid*>();
    EXPECT_EQ(grids.size(), 5);  // aquifers, pumping wells and periods, wells, observations
    for (const TMyParentGrid* grid : grids)
      for (int c = 0; c < grid->model()->columnCount(); ++c)
        EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c))
            << "caption cut off: " << grid->objectName().toStdString() << " "
            << grid->model()->headerData(c, Qt::Horizontal).toString().toStdString();
    if (QString(size.Name) == "default") {
      // At the frame's own size the widest grid shows all its columns.
      ShowPageByTab(*child, TDocumentPage::dpPumpingWells);
      EXPECT_EQ(child->PumpingWellsGrid()->horizontalScrollBar()->maximum(), 0);
    }
    child->Data().Saved = true;
  }
}

// Two documents tiled side by side in the frame at 800 x 600 each show their time graph whole.
TEST_F(LayoutTest, TiledDocumentsHoldTogether) {
  TMainForm form(&mUi);
  ShowAt(form, {"800x600", QSize(800, 600)});
  ASSERT_TRUE(form.OpenFile(AQV_TEST_DATA_DIR "/v2009.aqv", false));
  ASSERT_TRUE(form.OpenFile(AQV_TEST_DATA_DIR "/v2012.aqv", false));
  TileSubWindows(*form.MdiArea(), Qt::Vertical);
  QApplication::processEvents();
  ASSERT_EQ(form.Children().size(), 2U);
  for (TMDIChild* child : form.Children()) {
    ShowPageByTab(*child, TDocumentPage::dpChart);
    const QStringList faults = test::TLayoutCheck::Faults(child, kPromised);
    EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
    child->Data().Saved = true;
  }
  const QStringList faults = test::TLayoutCheck::Faults(&form);  // its bars and status panels
  EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
  form.grab().save(QString::fromStdString(test::ReviewPath("tiled_800x600.png")));
}

// The dialogs, each made as its owner makes it.
struct TDialogCase {
  const char* Name;
  std::function<std::unique_ptr<QWidget>(test::TFakeUserInterface&, TAQVData&)> Make;
};

// The format dialog as the chart opens it on one of its parts.
template <typename TOpen>
auto FormatDialog(TOpen open) {
  return [open](test::TFakeUserInterface& ui, TAQVData&) -> std::unique_ptr<QWidget> {
    auto form = std::make_unique<TFormatOptionsForm>(nullptr, &ui);
    open(*form);
    return form;
  };
}

TEST_F(LayoutTest, DialogsHoldTogetherAtEverySize) {
  TAQVData data(&mUi);
  test::TTempFolder images;
  images.Write("aerial photo.png", "png");
  images.Write("aerial photo.pgw", "0.25\n0\n0\n-0.25\n155000.5\n463000.25\n");
  const TDialogCase cases[] = {
      {"preferences", [](auto&, auto&) { return std::make_unique<TPreferencesForm>(); }},
      {"about", [](auto&, auto&) { return std::make_unique<TAboutBox>(); }},
      {"model_generator", [](auto& ui, auto& d) { return std::make_unique<TFEMGridForm>(d, ui); }},
      {"map_options", [](auto&, auto&) { return std::make_unique<TAQVKaartOptionsForm>(); }},
      {"text_options", [](auto&, auto&) { return std::make_unique<TAQVTextEditOptionsForm>(); }},
      {"chart_options", [](auto&, auto&) { return std::make_unique<TChartOptionsForm>(); }},
      {"format_axis", FormatDialog([](auto& f) { f.OpenAxis(TAxis(), 0, "X-axis"); })},
      {"format_series",
       FormatDialog([](auto& f) { f.OpenSeries(TSeries(), 0, "PB 25 m, layer: 1"); })},
      {"format_title", FormatDialog([](auto& f) { f.OpenTitle(TTitle(), 0, "Title"); })},
      {"format_legend", FormatDialog([](auto& f) { f.OpenLegend(TLegend(), 0, "Legend"); })},
      {"image_files",
       [&images](auto& ui, auto&) {
         // On a list with an image that could not be loaded, the other one selected, so that
         // the status panels show its world file's values.
         auto form = std::make_unique<TFilesSelectionForm>(ui);
         form->Files = {{true, images.Path("aerial photo.png")},
                        {true, images.Path("soil map.png"), true}};
         form->Initialize();
         form->FSListbox()->setCurrentRow(0);
         return form;
       }},
      {"console",
       [](auto&, auto&) {
         auto form = std::make_unique<TAQVOutputForm>();
         form->SetFormWidth(872);  // a run of three parameters asks for that much
         form->SetRightButton(kRejectCaption, true);
         return form;
       }},
      {"splash", [](auto&, auto&) { return std::make_unique<TSplashForm>(); }},
      {"progress", [](auto&, auto&) { return std::make_unique<TProgressForm>(); }},
      {"canvas_size", [](auto&, auto&) { return std::make_unique<TCanvasDimensionsForm>(); }},
      {"selection_grid",
       [](auto&, auto& d) {
         // Sized to its grid, as the time graph's "Select curves..." shows it.
         d.CollectCurveNames();
         auto form = std::make_unique<TSelectionGridForm>();
         form->SetData(&d);
         form->adjustSize();
         return form;
       }},
      {"select_series",
       [](auto&, auto&) {
         auto form = std::make_unique<TSelectSeriesForm>();
         form->SetSeriesNames({QStringLiteral("PB 25 m, layer: 1")}, 0);
         return form;
       }},
  };
  for (const TDialogCase& c : cases) {
    for (const TSize& size : kSizes) {
      SCOPED_TRACE(std::string(c.Name) + " " + size.Name);
      std::unique_ptr<QWidget> dialog = c.Make(mUi, data);
      ShowAt(*dialog, size);
      // At its own size a window fits the screen, which is 800 x 600.
      EXPECT_TRUE(!size.Size.isEmpty() ||
                  dialog->screen()->availableGeometry().contains(dialog->frameGeometry()));
      ExpectNoFaultOnAnyPage(*dialog, QStringLiteral("%1_%2").arg(c.Name, size.Name));
    }
  }
}

}  // namespace
}  // namespace aqv
