#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <climits>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

constexpr std::string_view kPreferences = "Software\\AQV for Windows Lite\\Preferences";
constexpr std::string_view kDesktop = "Software\\AQV for Windows Lite\\Desktop";

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::string FilePath() const { return mFolder.Path("settings.ini"); }

  test::TTempFolder mFolder;
};

TEST_F(SettingsStoreTest, IntegersBooleansAndStringsRoundTrip) {
  const std::vector<int> integers = {0, 1, -8, 10, 2500, INT_MAX, INT_MIN};
  const std::vector<std::string> strings = {"",
                                            "/home/user/tests/well 1.aqv",
                                            "C:\\Data\\Pumping test, 2011\\test.aqv",
                                            "@leading at sign",
                                            "key=value; # not a comment",
                                            "\"quoted\" text",
                                            "line one\nline two",
                                            "Ölbohrung Grünwald – Pumpversuch",
                                            "  surrounding blanks  "};
  {
    TSettingsStore store(FilePath());
    ASSERT_TRUE(store.OpenKey(kDesktop, true));
    for (std::size_t i = 0; i < integers.size(); ++i)
      EXPECT_TRUE(store.WriteInteger("int" + std::to_string(i), integers[i]));
    for (std::size_t i = 0; i < strings.size(); ++i)
      EXPECT_TRUE(store.WriteString("text" + std::to_string(i), strings[i]));
    EXPECT_TRUE(store.WriteBool("View statusbar", true));
    EXPECT_TRUE(store.WriteBool("View toolbar", false));
    store.CloseKey();
  }
  // A fresh store reads what the file holds, as the next run of the program does.
  TSettingsStore store(FilePath());
  ASSERT_TRUE(store.OpenKey(kDesktop, false));
  for (std::size_t i = 0; i < integers.size(); ++i) {
    int value = 12345;
    EXPECT_TRUE(store.ReadInteger("int" + std::to_string(i), value));
    EXPECT_EQ(value, integers[i]) << "integer " << i;
  }
  for (std::size_t i = 0; i < strings.size(); ++i) {
    std::string value = "unchanged";
    EXPECT_TRUE(store.ReadString("text" + std::to_string(i), value));
    EXPECT_EQ(value, strings[i]) << "string " << i;
  }
  bool statusbar = false, toolbar = true;
  EXPECT_TRUE(store.ReadBool("View statusbar", statusbar));
  EXPECT_TRUE(store.ReadBool("View toolbar", toolbar));
  EXPECT_TRUE(statusbar);
  EXPECT_FALSE(toolbar);
}

TEST_F(SettingsStoreTest, StehfestTermsWrittenAsNstAreReadAsNStAndRewritingKeepsOneValue) {
  TSettingsStore store(FilePath());
  ASSERT_TRUE(store.OpenKey(kPreferences, true));
  ASSERT_TRUE(store.WriteInteger("Nst", 14));
  int nst = 0;
  EXPECT_TRUE(store.ValueExists("NSt"));
  for (const char* name : {"NSt", "nst"}) {
    EXPECT_TRUE(store.ReadInteger(name, nst)) << name;
    EXPECT_EQ(nst, 14) << name;
  }
  ASSERT_TRUE(store.OpenKey(kDesktop, true));
  ASSERT_TRUE(store.WriteInteger("NSt", 10));
  ASSERT_TRUE(store.WriteInteger("Nst", 16));
  EXPECT_EQ(store.ValueNames(), std::vector<std::string>{"NSt"});
  EXPECT_TRUE(store.ReadInteger("NST", nst));
  EXPECT_EQ(nst, 16);
}

TEST_F(SettingsStoreTest, HandEditedDuplicateSpellingsCollapseOnWrite) {
  {
    QSettings raw(QString::fromStdString(FilePath()), QSettings::IniFormat);
    raw.setValue("Software/AQV for Windows Lite/Preferences/NSt", "6");
    raw.setValue("Software/AQV for Windows Lite/Preferences/Nst", "8");
  }
  TSettingsStore store(FilePath());
  ASSERT_TRUE(store.OpenKey(kPreferences, false));
  ASSERT_TRUE(store.WriteInteger("nSt", 12));
  EXPECT_EQ(store.ValueNames().size(), 1u);
  int nst = 0;
  EXPECT_TRUE(store.ReadInteger("NSt", nst));
  EXPECT_EQ(nst, 12);
}

TEST_F(SettingsStoreTest, MissingValueOrOneOfAnotherTypeIsAFailureAndLeavesTheVariable) {
  TSettingsStore store(FilePath());
  ASSERT_TRUE(store.OpenKey(kDesktop, true));
  ASSERT_TRUE(store.WriteInteger("Left", 40));
  int top = -1;
  bool flag = true;
  std::string text = "kept";
  EXPECT_FALSE(store.ValueExists("Top"));
  EXPECT_FALSE(store.ReadInteger("Top", top));
  EXPECT_EQ(store.LastStatus(), TSettingsStatus::ssValueMissing);
  EXPECT_FALSE(store.ReadBool("View toolbar", flag));
  EXPECT_FALSE(store.ReadString("AQV Open directory", text));
  EXPECT_EQ(top, -1);
  EXPECT_TRUE(flag);
  EXPECT_EQ(text, "kept");
  // A value of another type is a failure too.
  for (const auto& [name, stored] :
       {std::pair{"Left", "forty"}, {"Top", "12abc"}, {"Height", "99999999999"}}) {
    ASSERT_TRUE(store.WriteString(name, stored));
    int value = 7;
    EXPECT_FALSE(store.ReadInteger(name, value)) << name;
    EXPECT_EQ(store.LastStatus(), TSettingsStatus::ssWrongType) << name;
    EXPECT_EQ(value, 7) << name;
  }
  EXPECT_FALSE(store.ReadBool("Left", flag));
}

TEST_F(SettingsStoreTest, BooleansReadFromIntegersAndWords) {
  const std::pair<const char*, bool> cases[] = {{"0", false}, {"1", true},    {"2", true},
                                                {"-1", true}, {"true", true}, {"False", false}};
  TSettingsStore store(FilePath());
  ASSERT_TRUE(store.OpenKey(kDesktop, true));
  for (const auto& [stored, expected] : cases) {
    ASSERT_TRUE(store.WriteString("Flag", stored));
    bool value = !expected;
    EXPECT_TRUE(store.ReadBool("Flag", value)) << stored;
    EXPECT_EQ(value, expected) << stored;
  }
}

TEST_F(SettingsStoreTest, MissingKeyOpensOnlyWhenCreatedAndKeyPathsIgnoreCaseAndSeparators) {
  TSettingsStore store(FilePath());
  EXPECT_FALSE(store.OpenKey("Software\\AQV for Windows Lite\\Files", false));
  EXPECT_EQ(store.LastStatus(), TSettingsStatus::ssKeyMissing);
  int value = 0;
  EXPECT_FALSE(store.ReadInteger("Left", value));
  EXPECT_EQ(store.LastStatus(), TSettingsStatus::ssNoKeyOpen);
  ASSERT_TRUE(store.OpenKey("Software\\AQV for Windows Lite\\Files", true));
  store.CloseKey();
  // The key and its parents exist from its creation on, as in the registry.
  EXPECT_TRUE(store.OpenKey("Software\\AQV for Windows Lite\\Files", false));
  EXPECT_TRUE(store.KeyExists("Software\\AQV for Windows Lite"));
  EXPECT_FALSE(store.KeyExists("Software\\AQV for Windows Lite\\Desktop"));
  // Key paths ignore case and doubled separators, in a fresh store too.
  ASSERT_TRUE(store.OpenKey("Software\\AQV for Windows Lite\\MRU", true));
  ASSERT_TRUE(store.WriteString("0", "/data/first.aqv"));
  store.CloseKey();
  TSettingsStore fresh(FilePath());
  for (std::string_view key :
       {"Software\\\\AQV for Windows Lite\\\\MRU", "software\\aqv for windows lite\\mru",
        "\\Software\\AQV for Windows Lite\\MRU\\", "Software/AQV for Windows Lite/MRU"}) {
    ASSERT_TRUE(fresh.OpenKey(key, false)) << key;
    EXPECT_EQ(fresh.CurrentPath(), "Software\\AQV for Windows Lite\\MRU") << key;
    std::string first;
    EXPECT_TRUE(fresh.ReadString("0", first)) << key;
    EXPECT_EQ(first, "/data/first.aqv");
  }
  // Opening under another spelling with creation allowed adds no second key.
  ASSERT_TRUE(fresh.OpenKey("SOFTWARE\\aqv FOR windows LITE\\mru", true));
  ASSERT_TRUE(fresh.WriteString("1", "/data/second.aqv"));
  ASSERT_TRUE(fresh.OpenKey("Software\\AQV for Windows Lite\\MRU", false));
  EXPECT_EQ(fresh.ValueNames().size(), 2u);
}

TEST_F(SettingsStoreTest, DeleteValueRemovesItAndReportsAbsenceAndSlashInANameIsRefused) {
  TSettingsStore store(FilePath());
  ASSERT_TRUE(store.OpenKey(kDesktop, true));
  ASSERT_TRUE(store.WriteInteger("sgLeft", 5));
  EXPECT_TRUE(store.DeleteValue("SGLEFT"));
  EXPECT_FALSE(store.ValueExists("sgLeft"));
  EXPECT_FALSE(store.DeleteValue("sgLeft"));
  EXPECT_EQ(store.LastStatus(), TSettingsStatus::ssValueMissing);
  // A slash in a value name is refused instead of creating a subkey.
  EXPECT_FALSE(store.WriteInteger("Left/Top", 1));
  EXPECT_EQ(store.LastStatus(), TSettingsStatus::ssInvalidName);
  EXPECT_FALSE(store.WriteInteger("Left\\Top", 1));
  EXPECT_FALSE(store.WriteInteger("", 1));
  EXPECT_FALSE(store.KeyExists("Software\\AQV for Windows Lite\\Desktop\\Left"));
  EXPECT_TRUE(store.ValueNames().empty());
}

TEST_F(SettingsStoreTest, FailedWriteIsReportedNotTakenForSuccess) {
  // A settings file below a plain file can never be written.
  mFolder.Write("blocker", "");
  TSettingsStore store(mFolder.Path("blocker/settings.ini"));
  ASSERT_TRUE(store.OpenKey(kDesktop, true));
  EXPECT_FALSE(store.WriteInteger("Left", 1));
  EXPECT_EQ(store.LastStatus(), TSettingsStatus::ssAccessError);
  EXPECT_FALSE(IsSuccess(store.LastStatus()));
}

TEST(SettingsStoreDefault, LivesWhereQSettingsPathPointsIt) {
  // The test program points the per-user INI location into a temporary folder.
  TSettingsStore store;
  const QString fileName = QString::fromStdString(store.FileName());
  EXPECT_TRUE(fileName.startsWith(QDir::tempPath())) << store.FileName();
  ASSERT_TRUE(store.OpenKey(kPreferences, true));
  EXPECT_TRUE(store.WriteInteger("nlogcycle", 20));
  EXPECT_TRUE(QFile::exists(fileName));
}

}  // namespace
}  // namespace aqv
