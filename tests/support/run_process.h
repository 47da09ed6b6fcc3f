#pragma once

// Runs a program as a child process with given standard input and collects its standard output,
// standard error and exit status: how the command-line tools are tested end to end.

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
#include <string_view>
#include <vector>

extern char** environ;

namespace dtu::test {

struct ProcessResult {
  int exit_status = -1;    // the status passed to exit(), or -1 when the process was killed
  int term_signal = 0;     // the signal that ended the process, if one did
  bool timed_out = false;  // killed after running past the safety limit
  std::string out;         // everything written to standard output
  std::string err;         // everything written to standard error
};

namespace process_detail {

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  int read_end() const { return fds_[0]; }
  int write_end() const { return fds_[1]; }
  void CloseRead() { Close(fds_[0]); }
  void CloseWrite() { Close(fds_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  std::array<int, 2> fds_{-1, -1};
};

// Appends what is available on `fd` to `sink`; false at end of file.
inline bool Drain(int fd, std::string& sink) {
  std::array<char, 4096> buffer;
  const ssize_t n = ::read(fd, buffer.data(), buffer.size());
  if (n < 0) return errno == EINTR || errno == EAGAIN;
  sink.append(buffer.data(), static_cast<std::size_t>(n));
  return n > 0;
}

}  // namespace process_detail

// Runs `argv` (argv[0] is the program's path) with `input` on its standard input. The limit is a
// safety net against a hanging child only; no test depends on how long anything takes.
inline ProcessResult RunProcess(const std::vector<std::string>& argv, std::string_view input = {},
                                std::chrono::seconds limit = std::chrono::seconds(120)) {
  using process_detail::Drain;
  using process_detail::Pipe;
  // A child that exits without reading its input must not kill the test with SIGPIPE.
  ::signal(SIGPIPE, SIG_IGN);

  Pipe in, out, err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.read_end(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out.write_end(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err.write_end(), STDERR_FILENO);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  pid_t pid = 0;
  const int spawn_error = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawn_error != 0) throw std::runtime_error("cannot start " + argv[0]);
  in.CloseRead();
  out.CloseWrite();
  err.CloseWrite();
  ::fcntl(in.write_end(), F_SETFL, O_NONBLOCK);

  ProcessResult result;
  std::size_t sent = 0;
  if (input.empty()) in.CloseWrite();
  bool out_open = true, err_open = true;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (out_open || err_open) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      ::kill(pid, SIGKILL);
      result.timed_out = true;
      break;
    }
    std::array<pollfd, 3> polls{{{out_open ? out.read_end() : -1, POLLIN, 0},
                                 {err_open ? err.read_end() : -1, POLLIN, 0},
                                 {in.write_end(), POLLOUT, 0}}};
    if (::poll(polls.data(), polls.size(), static_cast<int>(left.count())) < 0 && errno != EINTR)
      throw std::runtime_error("poll failed");
    if (polls[0].revents != 0) out_open = Drain(out.read_end(), result.out);
    if (polls[1].revents != 0) err_open = Drain(err.read_end(), result.err);
    if (polls[2].revents != 0) {
      const ssize_t n = ::write(in.write_end(), input.data() + sent, input.size() - sent);
      if (n > 0) sent += static_cast<std::size_t>(n);
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || sent == input.size()) in.CloseWrite();
    }
  }
  in.CloseWrite();

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.term_signal = WTERMSIG(status);
  return result;
}

}  // namespace dtu::test
