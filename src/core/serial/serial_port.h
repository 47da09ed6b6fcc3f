#pragma once

// SerialPort: one serial port owned by one owner (the main window, or the command line).
//
// Threads. There are two: the owner's thread and the monitor thread the engine starts.
// - The owner's thread constructs the engine and calls OpenPort, StartMonitor, SendText,
//   DispatchPending and the accessors, and destroys the engine.
// - The monitor thread waits for port input, shutdown and write requests, reads the input
//   and carries out the writes. Each wake-up by input makes one batch: the configured line
//   events and what one read finds queued (up to 4 KiB). For each batch it calls
//   owner.NotificationPending() once and then waits until the owner's thread has handled all
//   of it: the owner calls DispatchPending() on its own thread, which calls
//   owner.HandlePortMessage() once per notification, one byte each, in order, each call
//   returning before the next is made. Only then is more input read, so the engine never holds more
//   than one batch that the owner has not seen. A DispatchPending() from inside a handler finds
//   nothing to do; the batch goes on when the handler returns. An owner without a thread of
//   its own may call DispatchPending() from inside NotificationPending().
// - A write is carried out when the monitor wakes for it, or after a batch when a text is
//   waiting, so a unit that never stops sending cannot hold it up. Input not yet read is
//   discarded before every write.
// - One lock is held around the port's input and output calls and never while a
//   notification is being handled.
// - Destruction (and OpenPort on a running engine) stops the monitor and joins it, breaking a
//   wait for the owner at once and dropping the rest of a batch being handled; it may happen on the
//   owner's thread at any time, also from inside HandlePortMessage(). It must not happen on the
//   monitor thread.
// - DispatchPending() with nothing waiting does nothing.
// - Failures are typed, never shown by the engine: a call that fails on the monitor thread
//   reaches the owner as PortMsgFailure (once per run of failures; the engine goes on), a port
//   that vanishes (or keeps failing) as one PortMsgGone carrying the failure that ended it, after
//   which the monitor ends. DescribeFailure() words either as the engine's report. The owner
//   closes or destroys the engine when it likes.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/serial/line_settings.h"
#include "core/serial/port_backend.h"
#include "core/serial/port_notification.h"

namespace dtu {

class NotificationHandover;

// Why a port could not be opened.
enum class PortOpenFailure {
  None,          // it was opened
  Missing,       // no such device (ENOENT)
  Busy,          // another program holds it (EBUSY)
  NoPermission,  // the user may not open it (EACCES, EPERM)
  NotATerminal,  // it is no serial port (ENOTTY)
  Other,
};

struct PortOpenError {
  int code = 0;      // errno of the failure, 0 after a successful open
  std::string text;  // the system's text for it

  PortOpenFailure kind() const;
};

// How the engine watches an open port: the port events that wake the monitor, the write
// buffer, which cuts a text sent to write_buffer_size - 1 bytes, and whether the owner hears
// PortMsgWritten after each write. Input is purged before every write, so every byte the owner
// receives after PortMsgWritten arrived after the text was sent.
struct PortWatch {
  std::uint32_t event_mask = kPortEventRxChar;
  int write_buffer_size = 4096;
  bool announce_writes = false;
};

class SerialPort {
 public:
  // The platform's port, or the given backend.
  SerialPort();
  explicit SerialPort(std::unique_ptr<PortBackend> backend);
  virtual ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens `device` (e.g. "/dev/ttyUSB0") and puts `line` on it; the port number of every
  // notification is the number at the end of that name, reports name the device. RTS is
  // asserted while the port is open. Stops a monitor still running from an earlier open first.
  // Returns false when the device cannot be opened (see open_error()); a later configuration
  // step that fails leaves the port open with true returned and setup_failure() set.
  bool OpenPort(PortOwner& owner, std::string_view device, const LineSettings& line,
                const PortWatch& watch = {});

  // Stops the monitor and closes the port; nothing when none is open.
  void ClosePort();

  // Starts the monitor thread; true once it runs. False when no port is open or the thread
  // could not be created. Input that arrived before it runs is discarded.
  bool StartMonitor();

  // Makes `text`, up to its first NUL, the pending write and wakes the monitor, which writes
  // it after discarding whatever both queues of the port still hold. A newer text replaces
  // one whose write has not started. An empty text sends nothing. Returns at once.
  void SendText(std::string_view text);

  // Owner's thread: hands the notification the monitor waits on, if any, to the owner.
  void DispatchPending();

  const PortOpenError& open_error() const { return open_error_; }
  // The configuration step of the last OpenPort that failed; none when the line was set up.
  const PortFailure& setup_failure() const { return setup_failure_; }

  // The engine's report of a failure, as the user is shown it:
  // "WARNING:  <call> Failed with the following error: \n<system text>\nPort: <device>\n".
  std::string DescribeFailure(const PortFailure& failure) const;
  // The system's text for an errno value ("Input/output error").
  std::string ErrorText(int code) const;
  // True from a successful OpenPort until ClosePort or destruction (also after PortMsgGone).
  bool IsOpen() const { return open_; }
  // True while the monitor thread runs (it also ends by itself when the port vanishes).
  bool IsMonitoring() const { return alive_.load(); }
  int port_number() const { return port_number_; }

 private:
  enum class Flow { Continue, Stop };
  class FailureCount;

  void StopMonitor();
  PortFailure Configure(const LineSettings& settings);

  void MonitorThread(NotificationHandover& handover);
  Flow OnCommWakeup(NotificationHandover& handover, FailureCount& failures);
  bool WriteWaiting();
  Flow WritePending(NotificationHandover& handover);
  Flow OnFailure(NotificationHandover& handover, FailureCount& failures,
                 const PortFailure& failure);
  Flow EndAsGone(NotificationHandover& handover, const PortFailure& failure);
  bool Notify(NotificationHandover& handover, PortMessage message, const PortFailure& failure);

  std::unique_ptr<PortBackend> backend_;
  std::mutex io_mutex_;  // held around the port's input and output calls
  std::atomic<bool> alive_{false};

  // Set by OpenPort while no monitor runs; read by the monitor.
  PortOwner* owner_ = nullptr;
  int port_number_ = 0;
  std::string device_;
  std::uint32_t event_mask_ = 0;
  std::size_t max_text_size_ = 0;
  bool announce_writes_ = false;
  bool open_ = false;
  PortOpenError open_error_;
  PortFailure setup_failure_;

  std::mutex text_mutex_;
  std::string pending_text_;  // guarded by text_mutex_; empty: nothing to write

  std::shared_ptr<NotificationHandover> handover_;
  std::jthread monitor_;
};

}  // namespace dtu
