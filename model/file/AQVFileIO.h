#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace aqv {

// Outcome of reading or writing a whole file.
enum class TFileIOStatus : std::uint8_t {
  fiOK = 0,
  fiOpenFailed,     // the file (or the temporary file beside it) could not be opened or created
  fiReadFailed,     // reading stopped before the end
  fiWriteFailed,    // writing or flushing the temporary file failed
  fiRenameFailed,   // the finished temporary file could not replace the target
  fiTooLarge,       // the file is longer than the reader takes; nothing was read
  fiReadOnly,       // the existing file may not be written; it was left as it is
  fiIsFolder,       // a folder stands at the path
  fiFolderMissing,  // the folder of the path does not exist (or a part of it is a file)
  fiNotPermitted,   // the folder may not be written to (its rights, a read-only disk)
  fiNoSpace,        // the disk, the user's quota or the largest file size is reached
};

constexpr bool IsSuccess(TFileIOStatus status) {
  return status == TFileIOStatus::fiOK;
}
// What went wrong, as a sentence that can stand below the caller's own message.
std::string ToText(TFileIOStatus status);

// "Could not save " + path + "!" with the reason, a sentence, on a second line.
std::string SaveFailedText(const std::string& path, const std::string& reason);

// Reads the whole file at path into bytes (bytes is emptied first). A regular file longer than
// maxBytes is refused from its size, before a byte of it is read.
[[nodiscard]] TFileIOStatus ReadWholeFile(const std::string& path, std::string& bytes,
                                          std::int64_t maxBytes = INT64_MAX);

// path with ".aqv" appended when its file-name part (after the last "/" or "\\") holds no
// "."; a "." in a folder name does not count.
std::string WithDataFileExtension(std::string_view path);

// Replaces the file at path by bytes so that the old file is never lost: the bytes go to a new
// temporary file in the same folder, which is flushed to the disk and then renamed over the
// target. On any failure the old file (if any) is unchanged and no temporary file is left; the
// status says why. A new file gets the permissions a newly created file gets; an existing file
// keeps its permission bits. An existing file that the user may not write, or that has no
// write bit at all, is not replaced (fiReadOnly). Temporary files of the same target that a
// save cut off (its process gone) left behind are removed first; no other file is touched.
[[nodiscard]] TFileIOStatus WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace aqv
