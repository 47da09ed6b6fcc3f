#pragma once

// A full disk, simulated without privileges on any file system: while a FileSizeLimit lives, this
// process may not make a file longer than the limit, and a write past it fails with EFBIG
// (SIGXFSZ ignored meanwhile), half-way as a write to a full disk does. Files already longer are
// not touched. LimitFileSize does the same for a program run as a child.

#include <sys/resource.h>

#include <csignal>
#include <stdexcept>
#include <string>
#include <vector>

namespace dtu::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) throw std::runtime_error("getrlimit failed");
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    saved_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, saved_handler_);
  }

 private:
  rlimit saved_{};
  void (*saved_handler_)(int) = SIG_DFL;
};

// `argv` run through the shell with files limited to 512 bytes (the shell's one block): shorter
// than any block or text a tool writes.
inline std::vector<std::string> LimitFileSize(const std::vector<std::string>& argv) {
  std::vector<std::string> limited = {"/bin/sh", "-c", "ulimit -f 1 && exec \"$0\" \"$@\""};
  limited.insert(limited.end(), argv.begin(), argv.end());
  return limited;
}

}  // namespace dtu::test
