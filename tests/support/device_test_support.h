#pragma once

// The main window against the simulated unit: dtusim runs as a process on a pseudo-terminal
// whose path the window opens like any serial port.

#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/block/parameter_block.h"
#include "gui/window/main_config_dialog.h"
#include "support/dtusim_process.h"

namespace dtu::test {

// Ends the test program when a step does not return in time: a hung user-interface thread
// cannot fail a test by itself, so a thread of its own watches it.
class Watchdog {
 public:
  Watchdog(std::chrono::seconds limit, const char* step)
      : thread_([this, limit, step] {
          std::unique_lock lock(mutex_);
          if (!done_changed_.wait_for(lock, limit, [this] { return done_; })) {
            std::fprintf(stderr, "watchdog: '%s' did not return within %lld s\n", step,
                         static_cast<long long>(limit.count()));
            std::_Exit(3);
          }
        }) {}
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    done_changed_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;
};

// Runs a real event loop, as the program does, until `done` holds or `limit` has passed (a safety
// net only); returns `done()`. Unlike QTest's waits, which sleep between rounds of events, the
// loop wakes for every notification the port's monitor posts, so replies arrive at full speed.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  if (done()) return true;
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  QTimer::singleShot(limit, &loop, &QEventLoop::quit);
  poll.start();
  loop.exec();
  return done();
}

inline std::unique_ptr<DtusimProcess> StartSimulator(const std::vector<std::string>& args) {
  auto process = std::make_unique<DtusimProcess>(DTUSIM_PATH, args);
  if (process->port_path().empty()) qFatal("dtusim did not start");
  return process;
}

inline ParameterBlock ReadBlockFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  ParameterBlock block;
  if (bytes.size() != kBlockSize) {
    qWarning("%s holds %zu bytes", path.c_str(), bytes.size());
    return block;
  }
  for (std::size_t i = 0; i < kBlockSize; ++i)
    block.bytes()[i] = static_cast<std::uint8_t>(bytes[i]);
  return block;
}

// Types the port's path into the port list and clicks the open button, as a user would.
inline void OpenPortOf(MainConfigDialog& window, const std::string& path) {
  auto* ports = qobject_cast<QComboBox*>(window.control(main_id::kPortList));
  ports->setEditText(QString::fromStdString(path));
  qobject_cast<QPushButton*>(window.control(main_id::kOpenButton))->click();
}

}  // namespace dtu::test
