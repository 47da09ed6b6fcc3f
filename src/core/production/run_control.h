#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <stop_token>

namespace dtu {

// What a front end may ask of a production run while it works, from any thread: to pause (no
// port starts another unit; the units under way are finished and recorded), to finish (each
// port ends once its unit under way is finished and recorded), and to try the unit on a port
// again (one that failed and is still seated).
class RunControl {
 public:
  explicit RunControl(std::size_t ports);

  void SetPaused(bool paused) { paused_ = paused; }
  bool paused() const { return paused_; }

  // Ends the ports' waiting; a unit under way is seen through to its recorded end.
  void Finish() { finish_.request_stop(); }
  bool finishing() const { return finish_.stop_requested(); }
  // Requested by Finish (and by the run, when it is stopped).
  std::stop_token finish_token() const { return finish_.get_token(); }

  void RequestRetry(std::size_t port_index);
  // True once after RequestRetry for this port.
  bool TakeRetry(std::size_t port_index);

 private:
  std::atomic<bool> paused_{false};
  std::stop_source finish_;
  std::size_t ports_;
  std::unique_ptr<std::atomic<bool>[]> retry_;
};

}  // namespace dtu
