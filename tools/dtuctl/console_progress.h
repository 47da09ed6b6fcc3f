#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/production/provision_progress.h"

namespace dtuctl {

// What `dtuctl provision` shows while it runs. On a terminal each port has one line at the
// bottom of the screen that is rewritten as the port moves from step to step, and every unit
// that ends leaves a line above them; otherwise every step and result is a plain line of its
// own, "PORT: text". Any thread may call it.
class ConsoleProgress final : public dtu::ProvisionProgress {
 public:
  using Output = std::function<void(const std::string&)>;

  // Writes to `out`; `terminal`: it is a terminal `columns` wide.
  ConsoleProgress(Output out, std::vector<std::string> ports, bool terminal, std::size_t columns);

  void Update(std::size_t port_index, std::string_view text) override;
  void UnitEnded(std::size_t port_index, const dtu::LogEntry& entry) override;

  // Ends the display: on a terminal the ports' lines are taken away, the finished units' lines
  // stay.
  void Finish();

  // True when standard output is a terminal; its width in `columns`.
  static bool StdoutIsTerminal(std::size_t& columns);

 private:
  std::string Line(std::size_t port_index) const;
  void Redraw(std::string_view above);

  Output out_;
  std::vector<std::string> ports_;
  bool terminal_;
  std::size_t columns_;
  std::mutex mutex_;
  std::vector<std::string> texts_;  // guarded by mutex_
  bool drawn_ = false;              // guarded by mutex_: the ports' lines are on the screen
};

// The first characters of `text` that fill at most `columns` columns of a terminal (a Chinese
// character takes two).
std::string FitColumns(std::string_view text, std::size_t columns);

}  // namespace dtuctl
