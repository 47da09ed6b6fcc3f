#pragma once

// A simulated unit for the production line's tests: dtusim on a pseudo-terminal with a module
// serial of its own and its block in a state file of the test's folder.

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/block/parameter_block.h"
#include "support/dtusim_process.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace dtu::test {

struct SimUnit {
  SimUnit(const TempDir& dir, const std::string& gsn, std::vector<std::string> extra = {})
      : state(dir / ("unit-" + gsn + ".mts")), sim(DTUSIM_PATH, Args(gsn, extra)) {}

  std::vector<std::string> Args(const std::string& gsn, std::vector<std::string> extra) const {
    extra.insert(extra.begin(), {"--state", state.string(), "--gsn", gsn});
    return extra;
  }
  const std::string& port() const { return sim.port_path(); }
  std::vector<std::uint8_t> State() const { return ReadAllBytes(state); }
  // The block it holds.
  ParameterBlock Block() const {
    ParameterBlock block;
    const std::vector<std::uint8_t> bytes = State();
    std::copy_n(bytes.begin(), std::min(bytes.size(), kBlockSize), block.bytes().begin());
    return block;
  }
  // Changes whenever the simulator stores a block: it replaces the file.
  std::pair<ino_t, std::int64_t> Stamp() const {
    struct stat info {};
    ::stat(state.c_str(), &info);
    return {info.st_ino, info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
  }

  std::filesystem::path state;
  DtusimProcess sim;
};

}  // namespace dtu::test
