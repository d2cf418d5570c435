#include "model/file/AQVFileIO.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdlib>

namespace aqv {

namespace {

// Closes a descriptor on every path out of a function.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : mFd(fd) {}
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  ~TFileDescriptor() { Close(); }
  int Get() const { return mFd; }
  bool Valid() const { return mFd >= 0; }
  // Returns false when the close reported an error (for a written file: data may be lost).
  bool Close() {
    if (mFd < 0) return true;
    const int result = ::close(mFd);
    mFd = -1;
    return result == 0;
  }

 private:
  int mFd;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a save replaces: the target of a symbolic link rather than the link itself, so
// that saving through a link keeps the link.
std::string ResolvedTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

std::string FileNameOf(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

// The name of a temporary file of the file called name: "." + name + "." + the process +
// "." + a count + ".tmp", hidden, and telling which process wrote it.
std::string TemporaryName(const std::string& name, long long process, unsigned count) {
  return "." + name + "." + std::to_string(process) + "." + std::to_string(count) + ".tmp";
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process that wrote entry as a temporary file of the file called name; 0 when entry is
// not named so.
long long TemporaryWriter(std::string_view entry, const std::string& name) {
  const std::string prefix = "." + name + ".";
  constexpr std::string_view suffix = ".tmp";
  if (entry.size() <= prefix.size() + suffix.size() || !entry.starts_with(prefix) ||
      !entry.ends_with(suffix))
    return 0;
  const std::string_view middle =
      entry.substr(prefix.size(), entry.size() - prefix.size() - suffix.size());
  const std::size_t dot = middle.find('.');
  if (dot == std::string_view::npos || !AllDigits(middle.substr(0, dot)) ||
      !AllDigits(middle.substr(dot + 1)))
    return 0;
  long long process = 0;
  const auto [end, error] = std::from_chars(middle.data(), middle.data() + dot, process);
  return error == std::errc() && end == middle.data() + dot ? process : 0;
}

// Removes the temporary files that saves of target left beside it when they were cut off (a
// crash, a kill, a power cut). A file is taken only when its name is that of a temporary file
// of target and the process that wrote it has ended, so that a save still running in this or
// another program keeps its file; anything else in the folder is never touched.
void RemoveLeftTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string name = FileNameOf(target);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const long long writer = TemporaryWriter(entry->d_name, name);
    if (writer <= 0 || writer > INT_MAX || writer == ::getpid()) continue;
    // Only a process known to be gone counts: EPERM means it runs under another user.
    if (::kill(static_cast<pid_t>(writer), 0) == 0 || errno != ESRCH) continue;
    const std::string path = folder + "/" + entry->d_name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
  }
  ::closedir(dir);
}

// A temporary file beside target, created exclusively so that no other file is touched. The
// mode 0666 lets the umask decide the permissions of a new file, as for any other save.
int CreateTemporary(const std::string& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderOf(target);
  const std::string name = FileNameOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = folder + "/" + TemporaryName(name, ::getpid(), counter.fetch_add(1));
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The status that names the cause of a failed call, or otherwise when the cause says nothing
// a person can act on.
TFileIOStatus StatusOfError(int error, TFileIOStatus otherwise) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return TFileIOStatus::fiFolderMissing;
    case EACCES:
    case EPERM:
    case EROFS:
      return TFileIOStatus::fiNotPermitted;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return TFileIOStatus::fiNoSpace;
    case EISDIR:
      return TFileIOStatus::fiIsFolder;
    default:
      return otherwise;
  }
}

// Writes bytes into the new temporary file, gives it the old file's permissions and flushes
// it to the disk; returns 0 or the error of the first step that failed.
int FillTemporary(TFileDescriptor& fd, std::string_view bytes, const struct stat* old) {
  int error = 0;
  if (!WriteAll(fd.Get(), bytes) ||
      (old != nullptr && ::fchmod(fd.Get(), old->st_mode & 07777) != 0) ||
      ::fsync(fd.Get()) != 0)
    error = errno;
  if (!fd.Close() && error == 0) error = errno;
  return error;
}

void SyncFolder(const std::string& path) {
  // Best effort: makes the rename itself durable; some file systems refuse it harmlessly.
  const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string ToText(TFileIOStatus status) {
  switch (status) {
    case TFileIOStatus::fiOK:
      return "OK";
    case TFileIOStatus::fiOpenFailed:
      return "The file could not be opened or created.";
    case TFileIOStatus::fiReadFailed:
      return "The file could not be read.";
    case TFileIOStatus::fiWriteFailed:
      return "The file could not be written.";
    case TFileIOStatus::fiRenameFailed:
      return "The written file could not take the place of the old one.";
    case TFileIOStatus::fiTooLarge:
      return "The file is too large.";
    case TFileIOStatus::fiReadOnly:
      return "The file is read-only.";
    case TFileIOStatus::fiIsFolder:
      return "There is a folder of that name.";
    case TFileIOStatus::fiFolderMissing:
      return "The folder does not exist.";
    case TFileIOStatus::fiNotPermitted:
      return "The folder may not be written to.";
    case TFileIOStatus::fiNoSpace:
      return "The disk has no room for the file.";
  }
  return {};
}

std::string SaveFailedText(const std::string& path, const std::string& reason) {
  return "Could not save " + path + "!\n" + reason;
}

std::string WithDataFileExtension(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\");
  const std::string_view name =
      separator == std::string_view::npos ? path : path.substr(separator + 1);
  std::string result(path);
  if (name.find('.') == std::string_view::npos) result += ".aqv";
  return result;
}

TFileIOStatus ReadWholeFile(const std::string& path, std::string& bytes, std::int64_t maxBytes) {
  bytes.clear();
  // Only a regular file has an end to read up to: opening a named pipe would wait for a writer
  // and a device may never end. The check comes before the open, and the open itself does not
  // wait, in case the name was replaced in between.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return TFileIOStatus::fiOpenFailed;
  TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.Valid()) return TFileIOStatus::fiOpenFailed;
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return TFileIOStatus::fiOpenFailed;
  if (info.st_size > maxBytes) return TFileIOStatus::fiTooLarge;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      bytes.clear();
      return TFileIOStatus::fiReadFailed;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return TFileIOStatus::fiOK;
}

TFileIOStatus WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string target = ResolvedTarget(path);
  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  if (existed && S_ISDIR(old.st_mode)) return TFileIOStatus::fiIsFolder;
  // The rename would replace the file whatever its own permissions say, as only the folder's
  // count for it. A file made read-only is kept as it is: the mode bits are looked at as well,
  // since access() grants the superuser every file.
  if (existed && ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
    return TFileIOStatus::fiReadOnly;
  // First, as they may be what fills the disk.
  RemoveLeftTemporaries(target);

  std::string tempPath;
  TFileDescriptor fd(CreateTemporary(target, tempPath));
  if (!fd.Valid()) return StatusOfError(errno, TFileIOStatus::fiOpenFailed);
  if (const int error = FillTemporary(fd, bytes, existed ? &old : nullptr); error != 0) {
    ::unlink(tempPath.c_str());
    return StatusOfError(error, TFileIOStatus::fiWriteFailed);
  }
  if (::rename(tempPath.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(tempPath.c_str());
    return StatusOfError(error, TFileIOStatus::fiRenameFailed);
  }
  SyncFolder(target);
  return TFileIOStatus::fiOK;
}

}  // namespace aqv
