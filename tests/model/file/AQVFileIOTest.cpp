#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "model/file/AQVFileIO.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

namespace fs = std::filesystem;

class AtomicWriteTest : public ::testing::Test {
 protected:
  // A test that makes the folder read-only gives its rights back for the removal.
  void TearDown() override {
    fs::permissions(mFolder.Root(), fs::perms::owner_all, fs::perm_options::add);
  }
  std::string PathOf(const std::string& name) const { return mFolder.Path(name); }
  std::string Contents(const std::string& name) const {
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(PathOf(name), bytes), TFileIOStatus::fiOK);
    return bytes;
  }
  std::vector<std::string> Entries() const { return mFolder.Names(); }
  test::TTempFolder mFolder;
};

TEST_F(AtomicWriteTest, WritesANewFileOrReplacesAnOldOneKeepingItsRightsAndLeavesNothingElse) {
  const std::string bytes = std::string("line\r\n") + '\0' + "binary\xFF";
  ASSERT_EQ(WriteFileAtomically(PathOf("new.aqv"), bytes), TFileIOStatus::fiOK);
  EXPECT_EQ(Contents("new.aqv"), bytes);
  ASSERT_EQ(WriteFileAtomically(PathOf("doc.aqv"), "old contents, rather longer"),
            TFileIOStatus::fiOK);
  ::chmod(PathOf("doc.aqv").c_str(), 0640);
  ASSERT_EQ(WriteFileAtomically(PathOf("doc.aqv"), "new"), TFileIOStatus::fiOK);
  EXPECT_EQ(Contents("doc.aqv"), "new");
  struct stat info {};
  ASSERT_EQ(::stat(PathOf("doc.aqv").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"doc.aqv", "new.aqv"}));
}

TEST_F(AtomicWriteTest, TargetThatIsAFolderOrInAMissingFolderFailsAndCreatesNothing) {
  fs::create_directories(mFolder.Root() / "folder.aqv" / "inside");
  EXPECT_EQ(WriteFileAtomically(PathOf("folder.aqv"), "data"), TFileIOStatus::fiIsFolder);
  EXPECT_TRUE(fs::is_directory(mFolder.Root() / "folder.aqv" / "inside"));
  EXPECT_EQ(WriteFileAtomically(PathOf("no/such/doc.aqv"), "data"),
            TFileIOStatus::fiFolderMissing);
  EXPECT_EQ(Entries(), std::vector<std::string>{"folder.aqv"}) << "nothing else was created";
}

TEST_F(AtomicWriteTest, ReadOnlyFolderFailsAndLeavesTheOldFileIntact) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  ASSERT_EQ(WriteFileAtomically(PathOf("doc.aqv"), "old"), TFileIOStatus::fiOK);
  fs::permissions(mFolder.Root(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(WriteFileAtomically(PathOf("doc.aqv"), "new"), TFileIOStatus::fiNotPermitted);
  fs::permissions(mFolder.Root(), fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(Contents("doc.aqv"), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"doc.aqv"});
}

// A disk that fills up halfway through the save, which a file-size limit stands in for.
TEST_F(AtomicWriteTest, WriteFailingHalfwayLeavesTheOldFileAndNoTemporaryFile) {
  ASSERT_EQ(WriteFileAtomically(PathOf("doc.aqv"), "old"), TFileIOStatus::fiOK);
  TFileIOStatus status = TFileIOStatus::fiOK;
  {
    const test::TFileSizeLimit limit(1000);
    status = WriteFileAtomically(PathOf("doc.aqv"), std::string(5000, 'x'));
  }
  EXPECT_EQ(std::tuple(status, Contents("doc.aqv"), Entries()),
            std::tuple(TFileIOStatus::fiNoSpace, "old", std::vector<std::string>{"doc.aqv"}));
}

// A save killed halfway leaves its temporary file; the next save of that document takes it
// away, but no file of a save still running, of another document or of another name.
TEST_F(AtomicWriteTest, ASaveClearsTheTemporaryFilesThatKilledSavesOfItsDocumentLeft) {
  ASSERT_EQ(WriteFileAtomically(PathOf("doc.aqv"), "old"), TFileIOStatus::fiOK);
  // Returns the process number of a save of name killed in the middle of its write.
  const auto killedSave = [this](const std::string& name) {
    const pid_t child = ::fork();
    if (child == 0) {
      // The file-size limit's signal ends the child inside its write, leaving no core.
      rlimit limit{};
      ::getrlimit(RLIMIT_CORE, &limit);
      limit.rlim_cur = 0;
      ::setrlimit(RLIMIT_CORE, &limit);
      ::getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = 1000;
      ::setrlimit(RLIMIT_FSIZE, &limit);
      std::signal(SIGXFSZ, SIG_DFL);
      std::ignore = WriteFileAtomically(PathOf(name), std::string(5000, 'x'));
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    return std::to_string(child);
  };
  const std::string killed = killedSave("doc.aqv");
  const std::string other = killedSave("other.aqv");
  std::vector<std::string> left = Entries();
  ASSERT_EQ(left.size(), 3u);
  const std::string leftover = left[0];  // its count came from this process's
  ASSERT_EQ(leftover.rfind(".doc.aqv." + killed + ".", 0), 0u) << leftover;
  ASSERT_EQ(left[1].rfind(".other.aqv." + other + ".", 0), 0u) << left[1];
  const std::string running = std::to_string(::getpid());
  for (const std::string& name :
       {"." + running + ".doc.aqv.tmp", ".doc.aqv." + killed + ".tmp",
        ".doc.aqv." + running + ".99.tmp", ".doc.aqv.x" + killed + ".0.tmp",
        "doc.aqv." + killed + ".1.tmp"}) {
    mFolder.Write(name, "not ours");
  }
  fs::create_directory(mFolder.Root() / (".doc.aqv." + killed + ".123456789.tmp"));
  std::vector<std::string> kept = Entries();
  std::erase(kept, leftover);
  ASSERT_EQ(WriteFileAtomically(PathOf("doc.aqv"), "new"), TFileIOStatus::fiOK);
  EXPECT_EQ(Entries(), kept);
  EXPECT_EQ(Contents("doc.aqv"), "new");
}

TEST_F(AtomicWriteTest, SavingThroughALinkKeepsTheLink) {
  ASSERT_EQ(WriteFileAtomically(PathOf("real.aqv"), "old"), TFileIOStatus::fiOK);
  fs::create_symlink(mFolder.Root() / "real.aqv", mFolder.Root() / "link.aqv");
  ASSERT_EQ(WriteFileAtomically(PathOf("link.aqv"), "new"), TFileIOStatus::fiOK);
  EXPECT_TRUE(fs::is_symlink(mFolder.Root() / "link.aqv"));
  EXPECT_EQ(Contents("real.aqv"), "new");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"link.aqv", "real.aqv"}));
}

TEST_F(AtomicWriteTest, ReadingAMissingFileAFolderOrANamedPipeFailsAtOnce) {
  std::string bytes = "stale";
  EXPECT_EQ(ReadWholeFile(PathOf("missing.aqv"), bytes), TFileIOStatus::fiOpenFailed);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadWholeFile(mFolder.Root().string(), bytes), TFileIOStatus::fiOpenFailed);
  // A named pipe would block the read until some other program writes into it.
  ASSERT_EQ(::mkfifo(PathOf("pipe.aqv").c_str(), 0600), 0);
  bytes = "old";
  EXPECT_EQ(ReadWholeFile(PathOf("pipe.aqv"), bytes), TFileIOStatus::fiOpenFailed);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadWholeFile("/dev/null", bytes), TFileIOStatus::fiOpenFailed);
}

// The size decides before anything is read: a file one byte over the limit leaves bytes empty.
TEST_F(AtomicWriteTest, ReadingAFileLongerThanTheLimitIsRefusedFromItsSize) {
  ASSERT_EQ(WriteFileAtomically(PathOf("doc.aqv"), "0123456789"), TFileIOStatus::fiOK);
  std::string bytes = "stale";
  EXPECT_EQ(ReadWholeFile(PathOf("doc.aqv"), bytes, 9), TFileIOStatus::fiTooLarge);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadWholeFile(PathOf("doc.aqv"), bytes, 10), TFileIOStatus::fiOK);
  EXPECT_EQ(bytes, "0123456789");
}

// A test process that crashed or was stopped leaves its folders; the next one removes them,
// but never a folder of a process still running nor one named otherwise.
TEST(TTempFolder, RemovesTheFoldersThatEndedTestProcessesLeft) {
  const test::TTempFolder temp;
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string ended = std::to_string(child), running = std::to_string(::getpid());
  for (const std::string& name : {"aqv-test-" + ended + "-0", "aqv-test-" + ended + "-0/inner",
                                  "aqv-test-" + running + "-9", "aqv-test-" + ended,
                                  "aqv-test-x" + ended + "-1", "other-" + ended + "-2"}) {
    fs::create_directories(temp.Root() / name);
  }
  temp.Write("aqv-test-" + ended + "-3", "a file");
  std::vector<std::string> kept = temp.Names();
  std::erase(kept, "aqv-test-" + ended + "-0");
  test::RemoveFoldersOfEndedTests(temp.Root());
  EXPECT_EQ(temp.Names(), kept);
}

TEST(WithDataFileExtension, AddsTheExtensionOnlyToANameWithoutOne) {
  EXPECT_EQ(WithDataFileExtension("/home/ann/test"), "/home/ann/test.aqv");
  EXPECT_EQ(WithDataFileExtension("/home/ann/test.dat"), "/home/ann/test.dat");
  // A "." in a folder name is no extension of the file.
  EXPECT_EQ(WithDataFileExtension("/home/ann/v1.2/test"), "/home/ann/v1.2/test.aqv");
  EXPECT_EQ(WithDataFileExtension("C:\\data.d\\test"), "C:\\data.d\\test.aqv");
  EXPECT_EQ(WithDataFileExtension("test"), "test.aqv");
}

}  // namespace
}  // namespace aqv
