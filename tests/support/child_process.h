#pragma once

// A program started in the background for a test that needs to act on it while it runs (send it
// a signal) or to give it a standard output of its own choosing (a full device, a closed pipe).
// The child starts with the default action for SIGPIPE, SIGINT, SIGTERM and SIGHUP, whatever
// the test process has done with them.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace dtu::test {

// How a child ended: the status it exited with, or the signal that killed it.
struct ChildEnd {
  int exit_status = -1;  // -1 when killed
  int term_signal = 0;
};

// A descriptor of the test's own, closed when it goes.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Close(); }
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

class ChildProcess {
 public:
  // Starts argv[0] with `argv`; its standard output and standard error go to `out_fd` and
  // `err_fd` (both stay the caller's).
  ChildProcess(const std::vector<std::string>& argv, int out_fd, int err_fd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err_fd, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal_number : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
      sigaddset(&defaults, signal_number);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int error = ::posix_spawn(&pid_, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
  }

  void Signal(int signal_number) const { ::kill(pid_, signal_number); }
  pid_t pid() const { return pid_; }

  // Waits for the child to end, killing it after `limit` (a safety net only).
  ChildEnd Wait(std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) ::kill(pid_, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    if (WIFEXITED(status)) return {WEXITSTATUS(status), 0};
    return {-1, WTERMSIG(status)};
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace dtu::test
