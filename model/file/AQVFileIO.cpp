#include "model/file/AQVFileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
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

// A temporary file beside target, created exclusively so that no other file is touched. The
// mode 0666 lets the umask decide the permissions of a new file, as for any other save.
int CreateTemporary(const std::string& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderOf(target);
  const std::string name = target.substr(target.find_last_of('/') + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = folder + "/." + name + "." + std::to_string(::getpid()) + "." +
               std::to_string(counter.fetch_add(1)) + ".tmp";
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
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
      return "the file could not be opened or created";
    case TFileIOStatus::fiReadFailed:
      return "the file could not be read";
    case TFileIOStatus::fiWriteFailed:
      return "the file could not be written";
    case TFileIOStatus::fiRenameFailed:
      return "the written file could not replace the old one";
    case TFileIOStatus::fiTooLarge:
      return "the file is too large";
    case TFileIOStatus::fiReadOnly:
      return "the file is read-only";
  }
  return {};
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
  if (existed && S_ISDIR(old.st_mode)) return TFileIOStatus::fiRenameFailed;
  // The rename would replace the file whatever its own permissions say, as only the folder's
  // count for it. A file made read-only is kept as it is: the mode bits are looked at as well,
  // since access() grants the superuser every file.
  if (existed && ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
    return TFileIOStatus::fiReadOnly;

  std::string tempPath;
  TFileDescriptor fd(CreateTemporary(target, tempPath));
  if (!fd.Valid()) return TFileIOStatus::fiOpenFailed;
  bool written = WriteAll(fd.Get(), bytes);
  if (written && existed) written = ::fchmod(fd.Get(), old.st_mode & 07777) == 0;
  written = written && ::fsync(fd.Get()) == 0;
  written = fd.Close() && written;
  if (!written) {
    ::unlink(tempPath.c_str());
    return TFileIOStatus::fiWriteFailed;
  }
  if (::rename(tempPath.c_str(), target.c_str()) != 0) {
    ::unlink(tempPath.c_str());
    return TFileIOStatus::fiRenameFailed;
  }
  SyncFolder(target);
  return TFileIOStatus::fiOK;
}

}  // namespace aqv
