#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The simulator's whole contact with the operating system: the pseudo-terminal, the stop
// signals, the state file and the link. Everything else in dtusim is plain computation.
namespace dtusim {

// A file descriptor closed when its owner goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Release();
  void Reset();

 private:
  int fd_ = -1;
};

// SIGINT and SIGTERM turned into a readable pipe, so that the wait for the port also waits for
// them. One per process.
class StopSignals {
 public:
  static std::optional<StopSignals> Install(std::string& error);
  int fd() const { return read_end_.get(); }

 private:
  UniqueFd read_end_;
  UniqueFd write_end_;
};

// What a wait on the port saw.
struct PortEvents {
  bool readable = false;
  bool writable = false;
  bool stop = false;
  std::string error;  // the wait itself failed
};

// The result of a read or write on the port.
struct PortTransfer {
  std::string bytes;      // what was read
  std::size_t count = 0;  // how many bytes were written
  std::string error;      // empty when it worked (nothing to read or no room is no error)
};

// The master side of a pseudo-terminal whose slave side is the simulated unit's serial port.
// The slave is open to every user, configured raw (no echo, no line editing, no CR/LF
// translation, 8 bits) and held open as well, so that the port stays usable between clients:
// without a slave open the master reports a hang-up that cannot be waited away.
class PtyEndpoint {
 public:
  static std::optional<PtyEndpoint> Open(std::string& error);

  const std::string& path() const { return path_; }

  // Waits until the port has bytes, has room (when want_write), a stop signal arrives, or the
  // timeout passes (none: wait without limit).
  PortEvents Wait(bool want_write, std::optional<std::chrono::nanoseconds> timeout, int stop_fd);

  PortTransfer Read();
  PortTransfer Write(std::string_view bytes);

  // Makes the port disappear as an unplugged adapter would: first lets the client read what was
  // already sent (waiting at most `limit`), then closes both sides.
  void Vanish(std::chrono::milliseconds limit);

 private:
  UniqueFd master_;
  UniqueFd slave_;
  std::string path_;
};

// A whole file, or why it could not be read.
struct FileContents {
  enum class Status { Read, Missing, Failed };
  Status status = Status::Failed;
  std::string bytes;
  std::string error;
};

FileContents ReadWholeFile(const std::string& path);

// Makes `bytes` the contents of `path` as core/atomic_file.h writes a file: `path` always holds
// either the old or the new contents. Returns an error text, empty on success.
std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Makes `link` a symbolic link to `target`, replacing only a symbolic link to a pseudo-terminal
// (one an earlier simulator left); any other file, folder or link there is refused. Returns an
// error text, empty on success.
std::string ReplaceSymlink(const std::string& link, const std::string& target);

// Removes `link` if it is still a symbolic link to `target` (someone may have replaced it since).
void RemoveSymlinkTo(const std::string& link, const std::string& target);

}  // namespace dtusim
