// dtusim: a data transfer unit simulated on a pseudo-terminal, so that the configuration tool can
// be tried without hardware and tested against a real peer on a real serial line.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/message_language.h"
#include "dtusim/block_store.h"
#include "dtusim/default_block.h"
#include "dtusim/sim_options.h"
#include "dtusim/sim_platform.h"
#include "dtusim/sim_runner.h"
#include "dtusim/simulated_dtu.h"

namespace dtusim {
namespace {

void Complain(std::string_view what) {
  const std::string line = "dtusim: " + std::string(what) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

// Removes the link at exit, however the run ends.
class LinkGuard {
 public:
  LinkGuard(std::string link, std::string target)
      : link_(std::move(link)), target_(std::move(target)) {}
  LinkGuard(const LinkGuard&) = delete;
  LinkGuard& operator=(const LinkGuard&) = delete;
  ~LinkGuard() {
    if (!link_.empty()) RemoveSymlinkTo(link_, target_);
  }

 private:
  std::string link_;
  std::string target_;
};

std::optional<dtu::ParameterBlock> InitialBlock(const SimOptions& options) {
  if (!options.state_path) return MakeDefaultBlock();
  std::string error;
  auto block = BlockStore(*options.state_path).LoadOrCreate(MakeDefaultBlock(), error);
  if (!block) Complain(dtu::Say("状态文件：", "state file: ") + error);
  return block;
}

SimulatedDtu::StoreBlock StoreFor(const SimOptions& options) {
  if (!options.state_path) return {};
  return [store = BlockStore(*options.state_path)](const dtu::ParameterBlock& block) {
    std::string error;
    if (store.Save(block, error)) return true;
    Complain(dtu::Say("状态文件没有替换：", "state file not replaced: ") + error);
    return false;
  };
}

int Main(const std::vector<std::string>& args) {
  // One language for every message of this run, from the user's locale.
  dtu::SetMessageLanguage(dtu::LanguageFromEnvironment());
  const ParsedOptions parsed = ParseSimOptions(args);
  if (!parsed.options) {
    Complain(parsed.error);
    const std::string hint = dtu::Say("'dtusim --help' 说明用法。\n", "Try 'dtusim --help'.\n");
    std::fwrite(hint.data(), 1, hint.size(), stderr);
    return kExitUsage;
  }
  const SimOptions& options = *parsed.options;
  if (options.help) {
    const std::string usage = SimUsage();
    std::fwrite(usage.data(), 1, usage.size(), stdout);
    return kExitOk;
  }

  const auto block = InitialBlock(options);
  if (!block) return kExitFailure;
  std::string error;
  auto stop = StopSignals::Install(error);
  auto port = stop ? PtyEndpoint::Open(error) : std::nullopt;
  if (!port) {
    Complain(error);
    return kExitFailure;
  }
  std::optional<LinkGuard> link_guard;
  if (options.link_path) {
    if (error = ReplaceSymlink(*options.link_path, port->path()); !error.empty()) {
      Complain(dtu::Say("链接：", "link: ") + error);
      return kExitFailure;
    }
    link_guard.emplace(*options.link_path, port->path());
  }

  SimulatedDtu::Report report;
  if (options.verbose) report = [](std::string_view what) { Complain(what); };
  SimulatedDtu dtu(*block, options.status, options.faults, StoreFor(options), report);

  std::printf("%s\n", port->path().c_str());
  std::fflush(stdout);
  return SimRunner(options, *port, *stop, dtu).Run();
}

}  // namespace
}  // namespace dtusim

int main(int argc, char** argv) {
  return dtusim::Main(std::vector<std::string>(argv + 1, argv + argc));
}
