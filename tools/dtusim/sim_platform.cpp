#include "dtusim/sim_platform.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>

#include "core/atomic_file.h"
#include "core/message_language.h"
#include "core/system_error_text.h"

namespace dtusim {
namespace {

// Where the pseudo-terminals live; a link to one may be replaced.
constexpr std::string_view kTerminalFolder = "/dev/pts/";

std::string ErrorText(std::string_view what, int error) {
  return std::string(what) + ": " + dtu::SystemErrorText(error);
}

// The write end of the stop pipe, for the signal handler.
volatile sig_atomic_t g_stop_pipe = -1;

void OnStopSignal(int) {
  const int saved = errno;
  const char byte = 's';
  if (g_stop_pipe >= 0) {
    [[maybe_unused]] const ssize_t ignored = write(g_stop_pipe, &byte, 1);
  }
  errno = saved;
}

bool SetFlags(int fd, int status_flags) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | status_flags) == 0 &&
         fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

int TimeoutMilliseconds(std::optional<std::chrono::nanoseconds> timeout) {
  if (!timeout) return -1;
  if (*timeout <= std::chrono::nanoseconds::zero()) return 0;
  // Rounded up, so that a wake-up never comes before the moment it waits for.
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*timeout).count();
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

// Pending input of the slave side: bytes written to the port that no client has read yet.
int PendingInput(int slave) {
  int pending = 0;
  return ioctl(slave, FIONREAD, &pending) == 0 ? pending : 0;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.Release();
  }
  return *this;
}

int UniqueFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::Reset() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

std::optional<StopSignals> StopSignals::Install(std::string& error) {
  std::array<int, 2> ends{};
  if (pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
    error = ErrorText("pipe", errno);
    return std::nullopt;
  }
  StopSignals signals;
  signals.read_end_ = UniqueFd(ends[0]);
  signals.write_end_ = UniqueFd(ends[1]);
  g_stop_pipe = ends[1];
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (sigaction(SIGINT, &action, nullptr) != 0 || sigaction(SIGTERM, &action, nullptr) != 0) {
    error = ErrorText("sigaction", errno);
    return std::nullopt;
  }
  signal(SIGPIPE, SIG_IGN);  // a closed standard output must not end the simulator
  // A parent may have started it with these signals blocked; they are its only way to stop.
  sigset_t stop_set;
  sigemptyset(&stop_set);
  sigaddset(&stop_set, SIGINT);
  sigaddset(&stop_set, SIGTERM);
  sigprocmask(SIG_UNBLOCK, &stop_set, nullptr);
  return signals;
}

std::optional<PtyEndpoint> PtyEndpoint::Open(std::string& error) {
  int master = -1;
  int slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    error = ErrorText("openpty", errno);
    return std::nullopt;
  }
  PtyEndpoint pty;
  pty.master_ = UniqueFd(master);
  pty.slave_ = UniqueFd(slave);

  // Open to every user, as a serial port shared by the users of a machine is: the simulated
  // unit may be tried by someone other than who started it.
  if (fchmod(slave, 0666) != 0) {
    error = ErrorText("fchmod", errno);
    return std::nullopt;
  }
  termios settings{};
  if (tcgetattr(slave, &settings) != 0) {
    error = ErrorText("tcgetattr", errno);
    return std::nullopt;
  }
  cfmakeraw(&settings);  // bytes pass unchanged in both directions, nothing is echoed
  if (tcsetattr(slave, TCSANOW, &settings) != 0) {
    error = ErrorText("tcsetattr", errno);
    return std::nullopt;
  }
  if (!SetFlags(master, O_NONBLOCK) || !SetFlags(slave, 0)) {
    error = ErrorText("fcntl", errno);
    return std::nullopt;
  }
  std::array<char, 128> name{};
  if (ptsname_r(master, name.data(), name.size()) != 0) {
    error = ErrorText("ptsname_r", errno);
    return std::nullopt;
  }
  pty.path_ = name.data();
  return pty;
}

PortEvents PtyEndpoint::Wait(bool want_write, std::optional<std::chrono::nanoseconds> timeout,
                             int stop_fd) {
  std::array<pollfd, 2> fds{{
      {master_.get(), static_cast<short>(POLLIN | (want_write ? POLLOUT : 0)), 0},
      {stop_fd, POLLIN, 0},
  }};
  PortEvents events;
  const int n = poll(fds.data(), fds.size(), TimeoutMilliseconds(timeout));
  if (n < 0) {
    if (errno != EINTR) events.error = ErrorText("poll", errno);
    return events;
  }
  events.readable = (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
  events.writable = (fds[0].revents & POLLOUT) != 0;
  events.stop = (fds[1].revents & POLLIN) != 0;
  return events;
}

PortTransfer PtyEndpoint::Read() {
  PortTransfer result;
  std::array<char, 4096> buffer{};
  const ssize_t n = read(master_.get(), buffer.data(), buffer.size());
  if (n > 0)
    result.bytes.assign(buffer.data(), static_cast<std::size_t>(n));
  else if (n < 0 && errno != EAGAIN && errno != EINTR)
    result.error = ErrorText("read", errno);
  return result;
}

PortTransfer PtyEndpoint::Write(std::string_view bytes) {
  PortTransfer result;
  const ssize_t n = write(master_.get(), bytes.data(), bytes.size());
  if (n > 0)
    result.count = static_cast<std::size_t>(n);
  else if (n < 0 && errno != EAGAIN && errno != EINTR)
    result.error = ErrorText("write", errno);
  return result;
}

void PtyEndpoint::Vanish(std::chrono::milliseconds limit) {
  // Closing the master hangs up the slave and throws away what is still queued for the client,
  // so the client gets the chance to read the part answer first. Two quiet looks in a row, as
  // bytes just written may still be on their way into the slave's queue.
  constexpr auto kLook = std::chrono::milliseconds(10);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int quiet_looks = 0;
  while (quiet_looks < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kLook);
    quiet_looks = PendingInput(slave_.get()) == 0 ? quiet_looks + 1 : 0;
  }
  master_.Reset();
  slave_.Reset();
}

FileContents ReadWholeFile(const std::string& path) {
  FileContents contents;
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    contents.status =
        errno == ENOENT ? FileContents::Status::Missing : FileContents::Status::Failed;
    contents.error = ErrorText(path, errno);
    return contents;
  }
  std::array<char, 4096> buffer{};
  for (;;) {
    const ssize_t n = read(fd.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      contents.error = ErrorText(path, errno);
      return contents;
    }
    if (n == 0) break;
    contents.bytes.append(buffer.data(), static_cast<std::size_t>(n));
  }
  contents.status = FileContents::Status::Read;
  return contents;
}

std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  const dtu::AtomicWriteResult written = dtu::WriteFileAtomically(path, bytes);
  if (written.ok()) return {};
  return written.error != 0 ? ErrorText(path, written.error)
                            : path + dtu::Say("：不是普通文件", ": not a regular file");
}

// True when `path` is a symbolic link to a pseudo-terminal, live or gone: what an earlier
// simulator left there.
bool IsTerminalLink(const std::string& path) {
  std::array<char, PATH_MAX> points_to{};
  const ssize_t n = readlink(path.c_str(), points_to.data(), points_to.size() - 1);
  return n > 0 && std::string_view(points_to.data(), static_cast<std::size_t>(n))
                      .starts_with(kTerminalFolder);
}

std::string ReplaceSymlink(const std::string& link, const std::string& target) {
  // Someone's file, folder or other link at PATH is not ours to replace.
  struct stat existing {};
  if (lstat(link.c_str(), &existing) == 0 && !IsTerminalLink(link))
    return link + dtu::Say("：不是指向伪终端的链接，保持原样（请换一个路径，或先删除它）",
                           ": is not a link to a pseudo-terminal; it is left as it is (choose "
                           "another path, or remove it first)");
  // A link made under a temporary name and renamed over the old one: there is no moment without
  // a link.
  const std::string temporary = link + ".dtusim-" + std::to_string(getpid());
  unlink(temporary.c_str());
  if (symlink(target.c_str(), temporary.c_str()) != 0) return ErrorText(link, errno);
  if (rename(temporary.c_str(), link.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    return ErrorText(link, error);
  }
  return {};
}

void RemoveSymlinkTo(const std::string& link, const std::string& target) {
  std::array<char, PATH_MAX> points_to{};
  const ssize_t n = readlink(link.c_str(), points_to.data(), points_to.size() - 1);
  if (n > 0 && std::string_view(points_to.data(), static_cast<std::size_t>(n)) == target)
    unlink(link.c_str());
}

}  // namespace dtusim
