#pragma once

// Runs the simulated unit, dtusim, in the background for the length of a test: a real peer on a
// real pseudo-terminal for everything that talks to a serial port.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace dtu::test {

class DtusimProcess {
 public:
  // Starts `program` (dtusim's path) with `args` and reads the port's path from its first line.
  // Throws when it does not start or prints no path; `exit_status()` then tells why.
  DtusimProcess(const std::string& program, const std::vector<std::string>& args) {
    std::array<int, 2> out{-1, -1};
    if (::pipe2(out.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const int error = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, raw.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (error != 0) {
      ::close(out[0]);
      throw std::runtime_error("cannot start " + program);
    }
    port_path_ = ReadFirstLine(out[0]);
    ::close(out[0]);
  }

  DtusimProcess(const DtusimProcess&) = delete;
  DtusimProcess& operator=(const DtusimProcess&) = delete;
  ~DtusimProcess() { Stop(); }

  // The pseudo-terminal's path; empty when the simulator printed none (it exited at once).
  const std::string& port_path() const { return port_path_; }

  // Ends the simulator with SIGTERM (if it still runs) and returns its exit status.
  int Stop() {
    if (running()) ::kill(pid_, SIGTERM);
    return WaitForExit(std::chrono::seconds(30));
  }

  // Waits for the simulator to end by itself; kills it after `limit` (a safety net only).
  // Returns its exit status, -1 when a signal ended it.
  int WaitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running()) {
      int status = 0;
      const pid_t done = ::waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = -1;
        break;
      }
      if (std::chrono::steady_clock::now() >= deadline) ::kill(pid_, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return exit_status_;
  }

  bool running() const { return pid_ > 0; }
  int exit_status() { return running() ? -1 : exit_status_; }

 private:
  // Everything up to the first line end, waiting at most 30 s (a safety net only).
  static std::string ReadFirstLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char c = 0;
      const ssize_t n = ::read(fd, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0 || c == '\n') return n <= 0 ? std::string() : line;
      line.push_back(c);
    }
    return {};
  }

  pid_t pid_ = -1;
  int exit_status_ = -1;
  std::string port_path_;
};

}  // namespace dtu::test
