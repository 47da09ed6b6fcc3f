#pragma once

// dtuctl run as a process, and its exit statuses: what the tool's end-to-end tests share. The test
// target defines DTUCTL_PATH (dtu_tools_know_their_paths).

#include <string>
#include <string_view>
#include <vector>

#include "support/run_process.h"

namespace dtu::test {

namespace dtuctl_exit {
constexpr int kOk = 0;
constexpr int kFailure = 1;
constexpr int kChecksum = 2;
constexpr int kRejected = 3;
constexpr int kTimeout = 4;
constexpr int kPortMissing = 5;
constexpr int kPortBusy = 6;
constexpr int kPortLost = 7;
constexpr int kPortError = 8;
constexpr int kDiffers = 9;
constexpr int kNoRow = 13;
constexpr int kUnidentified = 14;
}  // namespace dtuctl_exit

inline ProcessResult Dtuctl(const std::vector<std::string>& args, std::string_view input = {}) {
  std::vector<std::string> argv = {DTUCTL_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv, input);
}

}  // namespace dtu::test
