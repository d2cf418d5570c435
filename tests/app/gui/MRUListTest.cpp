#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <filesystem>

#include "app/gui/MRUList.h"
#include "platform/SettingsStore.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

std::string File(int i) {
  return "/data/test" + std::to_string(i) + ".aqv";
}

std::vector<std::string> Entries(const TMRUList& list) {
  std::vector<std::string> entries;
  for (int k = 0; k < TMRUList::kCount; ++k) entries.push_back(list.Entry(k));
  return entries;
}

TEST(TMRUList, FileAlreadyFourthMovesToTheTopAndTheRestKeepTheirOrder) {
  TMRUList list;
  for (int i = 10; i >= 1; --i) list.AddFile(File(i));  // File(1) on top
  list.AddFile(File(4));
  EXPECT_EQ(Entries(list),
            (std::vector<std::string>{File(4), File(1), File(2), File(3), File(5), File(6), File(7),
                                      File(8), File(9), File(10)}));
}

TEST(TMRUList, EleventhDistinctFileDropsTheOldest) {
  TMRUList list;
  for (int i = 1; i <= 11; ++i) list.AddFile(File(i));
  EXPECT_EQ(list.Entry(0), File(11));
  EXPECT_EQ(list.Entry(9), File(2));
  EXPECT_EQ(list.Count(), 10);
  list.AddFile("");
  EXPECT_EQ(list.Entry(0), File(11));
}

TEST(TMRUList, PathsAreComparedCaseSensitivelyAfterMakingThemAbsolute) {
  TMRUList list;
  const std::string absolute = (std::filesystem::current_path() / "doc.aqv").string();
  list.AddFile("doc.aqv");
  list.AddFile("./sub/../doc.aqv");
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Entry(0), absolute);
  list.AddFile("/data/Doc.aqv");
  list.AddFile("/data/doc.aqv");
  EXPECT_EQ(list.Count(), 3);
  list.RemoveFile("/data/DOC.aqv");
  EXPECT_EQ(list.Count(), 3);
  list.RemoveFile("/data/Doc.aqv");
  EXPECT_EQ(Entries(list)[0], "/data/doc.aqv");
  EXPECT_EQ(Entries(list)[1], absolute);
  EXPECT_EQ(list.Count(), 2);
}

TEST(TMRUList, ThreeEntriesShowThreeNumberedItemsAndHideTheOthers) {
  QMenu menu;
  TMRUList list;
  list.SetParentMenu(&menu);
  for (int i = 3; i >= 1; --i) list.AddFile(File(i));
  ASSERT_EQ(menu.actions().size(), 10);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(menu.actions()[k]->isVisible(), k < 3) << k;
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(menu.actions()[k]->text().toStdString(), std::to_string(k + 1) + ". " + File(k + 1));
  std::string clicked;
  QObject::connect(&list, &TMRUList::FileClick, [&] { clicked = list.FileName(); });
  menu.actions()[1]->trigger();
  EXPECT_EQ(clicked, File(2));
}

TEST(TMRUList, AmpersandInAPathIsShownAsItIs) {
  QMenu menu;
  TMRUList list;
  list.SetParentMenu(&menu);
  list.AddFile("/data/a&b.aqv");
  EXPECT_EQ(menu.actions()[0]->text(), "1. /data/a&&b.aqv");
}

TEST(TMRUList, SavedListIsReadBackAndAMissingKeyLeavesItEmptyWithoutMessage) {
  test::TTempFolder folder;
  test::TFakeUserInterface ui;
  TSettingsStore store(folder.Path("settings.ini"));
  TMRUList empty;
  empty.LoadFromRegistry(store, ui);
  EXPECT_EQ(empty.Count(), 0);
  EXPECT_TRUE(ui.Messages.empty());

  TMRUList list;
  for (int i = 1; i <= 3; ++i) list.AddFile(File(i));
  ASSERT_TRUE(list.SaveToRegistry(store, ui));
  ASSERT_TRUE(store.OpenKey(list.RegistryKey(), false));
  std::string ninth = "x";
  EXPECT_TRUE(store.ReadString("9", ninth));
  EXPECT_EQ(ninth, "") << "empty entries are written too";
  store.CloseKey();
  TMRUList back;
  back.LoadFromRegistry(store, ui);
  EXPECT_EQ(Entries(back), Entries(list));
  EXPECT_EQ(back.Count(), 3);
  QMenu menu;  // the File menu shows the list read at start-up
  back.SetParentMenu(&menu);
  ASSERT_FALSE(menu.actions().isEmpty());
  EXPECT_TRUE(menu.actions()[0]->isVisible());
  EXPECT_EQ(menu.actions()[0]->text().toStdString(), "1. " + Entries(back)[0]);
  EXPECT_TRUE(ui.Messages.empty());
  EXPECT_EQ(list.RegistryKey(), "Software\\AQV for Windows Lite\\MRU");
}

}  // namespace
}  // namespace aqv
