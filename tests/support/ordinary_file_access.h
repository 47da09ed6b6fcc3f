#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

namespace dtu::test {

// While it lives, this thread's file accesses are checked as an ordinary user's, also when the
// tests run as root: the thread's file-system user becomes "nobody", which sets root's power to
// override file modes aside. For tests that run as an ordinary user nothing changes.
class OrdinaryFileAccess {
 public:
  OrdinaryFileAccess() {
    if (::geteuid() == 0) ::setfsuid(kNobody);
  }
  ~OrdinaryFileAccess() {
    if (::geteuid() == 0) ::setfsuid(0);
  }
  OrdinaryFileAccess(const OrdinaryFileAccess&) = delete;
  OrdinaryFileAccess& operator=(const OrdinaryFileAccess&) = delete;

  static constexpr uid_t kNobody = 65534;
  static constexpr gid_t kNobodyGroup = 65534;  // "nogroup"
};

}  // namespace dtu::test
