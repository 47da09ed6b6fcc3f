// Linked into every test that runs the tools: the units' history of the programs it starts is a
// file of a temporary folder of its own, never the user's, and goes with the test's process.
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "core/history/history_location.h"
#include "support/temp_dir.h"

namespace {

struct PrivateHistory {
  PrivateHistory() {
    const std::string file = (folder.path() / "history.sqlite").string();
    ::setenv(std::string(dtu::kHistoryFileVariable).c_str(), file.c_str(), 1);
    ::setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
  }
  dtu::test::TempDir folder;
};

const PrivateHistory kPrivateHistory;

}  // namespace
