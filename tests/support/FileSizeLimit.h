#pragma once

#include <sys/resource.h>

#include <csignal>

namespace aqv::test {

// While it lives, a write that would make a file longer than the limit (bytes) fails with
// EFBIG, as a write to a full disk fails: any user can set it, also the superuser, for whom no
// folder is ever full of rights. The signal such a write raises is ignored meanwhile.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) : mHandler(std::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &mPrevious);
    rlimit small = mPrevious;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &mPrevious);
    std::signal(SIGXFSZ, mHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  void (*mHandler)(int);
  rlimit mPrevious{};
};

}  // namespace aqv::test
