#include "core/serial/posix_port_backend.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "core/baud_rates.h"

namespace dtu {
namespace {

// The terminal's speed constant for each rate the lists offer, in their order.
constexpr std::array<std::pair<int, speed_t>, kBaudRates.size()> kSpeeds = {{
    {110, B110},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
    {460800, B460800},
    {921600, B921600},
}};

constexpr bool SpeedsFollowTheRateList() {
  for (std::size_t i = 0; i < kSpeeds.size(); ++i)
    if (static_cast<std::uint32_t>(kSpeeds[i].first) != kBaudRates[i]) return false;
  return true;
}
static_assert(SpeedsFollowTheRateList(), "a speed for every rate of the lists");

// How often the drain wait looks at the output queue.
constexpr int kDrainPollMs = 10;

std::optional<speed_t> SpeedFor(int baud_rate) {
  for (const auto& [rate, speed] : kSpeeds) {
    if (rate == baud_rate) return speed;
  }
  return std::nullopt;
}

tcflag_t DataBitsFlag(int data_bits) {
  switch (data_bits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

// Unix 98 pseudo-terminal slaves (/dev/pts/N) have majors 136 to 143.
bool IsPseudoTerminal(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) return false;
  const unsigned int device_major = major(status.st_rdev);
  return device_major >= 136 && device_major <= 143;
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

void SignalEvent(int fd) {
  if (fd < 0) return;
  const std::uint64_t one = 1;
  // A full counter still reads as signalled, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
}

// strerror_r comes in two flavours; these pick the text out of either.
[[maybe_unused]] std::string TextFromStrerror(const char* text, const char* /*buffer*/) {
  return text;
}
[[maybe_unused]] std::string TextFromStrerror(int result, const char* buffer) {
  return result == 0 ? std::string(buffer) : std::string("Unknown error");
}

}  // namespace

std::unique_ptr<PortBackend> MakePlatformPortBackend() {
  return std::make_unique<PosixPortBackend>();
}

PosixPortBackend::~PosixPortBackend() {
  Close();
  CloseWakeups();
}

int PosixPortBackend::CreateWakeups() {
  CloseWakeups();
  shutdown_fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (shutdown_fd_ < 0) return errno;
  write_fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (write_fd_ < 0) {
    const int error = errno;
    CloseWakeups();
    return error;
  }
  return 0;
}

void PosixPortBackend::CloseWakeups() {
  CloseFd(shutdown_fd_);
  CloseFd(write_fd_);
}

void PosixPortBackend::SignalShutdown() {
  SignalEvent(shutdown_fd_);
}

void PosixPortBackend::SignalWrite() {
  SignalEvent(write_fd_);
}

void PosixPortBackend::ClearWrite() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(write_fd_, &count, sizeof count);
}

int PosixPortBackend::Open(const std::string& device) {
  Close();
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  // The lock first: a port someone else holds must not lose that holder's TIOCEXCL when we
  // back out.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? EBUSY : error;
  }
  if (!::isatty(fd)) {
    const int error = errno;  // ENOTTY: not a terminal device
    ::close(fd);
    return error;
  }
  // A pseudo-terminal outlives a program killed while holding it (the simulated unit keeps its
  // side open), and so would the exclusive flag; the lock goes with the program.
  exclusive_ = !IsPseudoTerminal(fd);
  if (exclusive_ && ::ioctl(fd, TIOCEXCL) != 0) {
    const int error = errno;
    ::close(fd);
    return error;
  }
  port_fd_ = fd;
  return 0;
}

void PosixPortBackend::Close() {
  if (port_fd_ < 0) return;
  if (exclusive_) ::ioctl(port_fd_, TIOCNXCL);
  CloseFd(port_fd_);
}

bool PosixPortBackend::IsOpen() const {
  return port_fd_ >= 0;
}

void PosixPortBackend::SetTimeouts(std::chrono::milliseconds timeout) {
  timeout_ms_ = static_cast<int>(std::max<std::chrono::milliseconds::rep>(timeout.count(), 0));
}

void PosixPortBackend::SetEventMask(std::uint32_t mask) {
  event_mask_ = mask;
}

PortFailure PosixPortBackend::ApplyLineSettings(const LineSettings& settings) {
  termios driver{};
  if (::tcgetattr(port_fd_, &driver) != 0) return {errno, "tcgetattr()"};
  // The rate is refused where the system would refuse it: there is no speed for it.
  if (!SpeedFor(settings.baud_rate)) return {EINVAL, "cfsetspeed()"};
  const std::optional<termios> line = LineTermios(driver, settings);
  if (!line) return {EINVAL, "tcsetattr()"};
  if (::tcsetattr(port_fd_, TCSANOW, &*line) != 0) return {errno, "tcsetattr()"};
  if (settings.rts_asserted) {
    // Pseudo-terminals have no modem lines and refuse this; nothing is lost by that.
    int rts = TIOCM_RTS;
    ::ioctl(port_fd_, TIOCMBIS, &rts);
  }
  return {};
}

std::optional<termios> PosixPortBackend::LineTermios(const termios& driver,
                                                     const LineSettings& settings) {
  const std::optional<speed_t> speed = SpeedFor(settings.baud_rate);
  if (!speed || !IsValidLineSettings(settings)) return std::nullopt;
  termios line = driver;
  ::cfmakeraw(&line);
  line.c_iflag &= ~(IXON | IXOFF | IXANY);
  line.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  line.c_cflag |= CLOCAL | CREAD | DataBitsFlag(settings.data_bits);
  if (settings.parity == 'O') line.c_cflag |= PARENB | PARODD;
  if (settings.parity == 'E') line.c_cflag |= PARENB;
  if (settings.stop_bits == 2) line.c_cflag |= CSTOPB;
  line.c_cc[VMIN] = 0;
  line.c_cc[VTIME] = 0;
  ::cfsetispeed(&line, *speed);
  ::cfsetospeed(&line, *speed);
  return line;
}

int PosixPortBackend::Purge() {
  return ::tcflush(port_fd_, TCIOFLUSH) == 0 ? 0 : errno;
}

int PosixPortBackend::DiscardInput() {
  return ::tcflush(port_fd_, TCIFLUSH) == 0 ? 0 : errno;
}

PortWaitResult PosixPortBackend::Wait() {
  const short port_events = event_mask_ != 0 ? POLLIN : 0;
  std::array<pollfd, 3> fds{{
      {shutdown_fd_, POLLIN, 0},
      {port_fd_, port_events, 0},
      {write_fd_, POLLIN, 0},
  }};
  if (::poll(fds.data(), fds.size(), -1) < 0) return {PortWakeup::Failed, {errno, "poll()"}};
  if (fds[0].revents != 0) return {PortWakeup::Shutdown, {}};
  const short port = fds[1].revents;
  if ((port & POLLNVAL) != 0) return {PortWakeup::Hangup, {EBADF, "poll()"}};
  if ((port & (POLLHUP | POLLERR)) != 0) return {PortWakeup::Hangup, {EIO, "poll()"}};
  if ((port & POLLIN) != 0) return {PortWakeup::Comm, {}};
  if (fds[2].revents != 0) return {PortWakeup::Write, {}};
  return {PortWakeup::Spurious, {}};
}

PortIoResult PosixPortBackend::ReadQueued(std::span<std::uint8_t> buffer) {
  for (;;) {
    const ssize_t n = ::read(port_fd_, buffer.data(), buffer.size());
    if (n > 0) return {{}, static_cast<std::size_t>(n)};
    // End of file on a terminal means it hung up.
    if (n == 0) return {{EIO, "read()"}, 0};
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return {};
    return {{errno, "read()"}, 0};
  }
}

PortIoResult PosixPortBackend::Write(std::string_view data) {
  PortIoResult result;
  while (result.transferred < data.size()) {
    const ssize_t n =
        ::write(port_fd_, data.data() + result.transferred, data.size() - result.transferred);
    if (n > 0) {
      result.transferred += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      result.failure = {errno, "write()"};
      return result;
    }
    int error = 0;
    switch (AwaitPort(POLLOUT, error)) {
      case Readiness::Ready:
        continue;
      case Readiness::Hangup:
        result.failure = {EIO, "poll()"};
        return result;
      case Readiness::Failed:
        result.failure = {error, "poll()"};
        return result;
      case Readiness::TimedOut:
      case Readiness::Shutdown:
        return result;
    }
  }
  AwaitDrained();
  return result;
}

PosixPortBackend::Readiness PosixPortBackend::AwaitPort(short events, int& error) const {
  std::array<pollfd, 2> fds{{{port_fd_, events, 0}, {shutdown_fd_, POLLIN, 0}}};
  for (;;) {
    const int ready = ::poll(fds.data(), fds.size(), timeout_ms_);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      error = errno;
      return Readiness::Failed;
    }
    if (ready == 0) return Readiness::TimedOut;
    if (fds[1].revents != 0) return Readiness::Shutdown;
    if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return Readiness::Hangup;
    return Readiness::Ready;
  }
}

// write() only hands the bytes to the driver. A write counts as done once they have left
// the port, so that the purge ahead of the next write cannot cut this one short.
void PosixPortBackend::AwaitDrained() const {
  using Clock = std::chrono::steady_clock;
  int last_queued = -1;
  Clock::time_point last_progress = Clock::now();
  for (;;) {
    int queued = 0;
    if (::ioctl(port_fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
    const Clock::time_point now = Clock::now();
    if (queued != last_queued) {
      last_queued = queued;
      last_progress = now;
    } else if (now - last_progress >= std::chrono::milliseconds(timeout_ms_)) {
      return;
    }
    pollfd shutdown{shutdown_fd_, POLLIN, 0};
    if (::poll(&shutdown, 1, kDrainPollMs) > 0) return;
  }
}

std::string PosixPortBackend::ErrorText(int code) const {
  std::array<char, 256> buffer{};
  return TextFromStrerror(::strerror_r(code, buffer.data(), buffer.size()), buffer.data());
}

}  // namespace dtu
