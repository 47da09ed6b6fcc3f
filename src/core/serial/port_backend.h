#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/serial/line_settings.h"
#include "core/serial/port_failure.h"

namespace dtu {

// What ended a wait of the monitor. When several wake-ups are ready at once the first of
// Shutdown, Comm (port input or line events), Write wins. Hangup: the port vanished.
enum class PortWakeup { Shutdown, Comm, Write, Hangup, Failed, Spurious };

struct PortWaitResult {
  PortWakeup wakeup = PortWakeup::Spurious;
  PortFailure failure;  // for Failed and Hangup
};

struct PortIoResult {
  PortFailure failure;
  std::size_t transferred = 0;
};

// The operating-system side of a serial port: the port itself plus the two wake-ups
// (shutdown, write) the monitor waits on together with the port. Calls that can fail return
// 0 or the errno of the failure, or, where the user is told, the PortFailure naming the call.
// SerialPort drives it; one implementation per platform.
//
// Threads: Signal* may be called on any thread at any time after CreateWakeups(). Wait,
// ClearWrite, ReadQueued, Write, Purge and DiscardInput are called by the monitor
// thread while it runs (the others never at the same time); everything else is called only
// while no monitor runs.
class PortBackend {
 public:
  virtual ~PortBackend() = default;

  // Creates fresh shutdown and write wake-ups, neither signalled (closing earlier ones).
  virtual int CreateWakeups() = 0;
  virtual void SignalShutdown() = 0;
  virtual void SignalWrite() = 0;
  virtual void ClearWrite() = 0;

  // Opens an existing device exclusively for reading and writing; EBUSY when another
  // program holds it. Closes a port opened before.
  virtual int Open(const std::string& device) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // The time-out of each single wait within a read or write, and the port events that wake
  // the monitor; both only take effect in later calls.
  virtual void SetTimeouts(std::chrono::milliseconds timeout) = 0;
  virtual void SetEventMask(std::uint32_t mask) = 0;
  // Puts `settings` on the line, on top of whatever else the driver has set.
  virtual PortFailure ApplyLineSettings(const LineSettings& settings) = 0;

  // Discards both the input and the output queue.
  virtual int Purge() = 0;
  // Discards the input queue only (input that nobody is going to read).
  virtual int DiscardInput() = 0;

  // Waits without time limit for a wake-up. Port input wakes it only while the event mask
  // is not 0.
  virtual PortWaitResult Wait() = 0;
  // Reads what the input queue holds, up to buffer.size() bytes, without waiting;
  // transferred 0 with no error when it is empty.
  virtual PortIoResult ReadQueued(std::span<std::uint8_t> buffer) = 0;
  // Writes `data`, waiting at most the time-out for each stall and until it has left the
  // port. A write cut short by a stall or by shutdown returns the count written, no error.
  virtual PortIoResult Write(std::string_view data) = 0;

  // The system's text for an error code.
  virtual std::string ErrorText(int code) const = 0;
};

// The backend of the platform the program runs on.
std::unique_ptr<PortBackend> MakePlatformPortBackend();

}  // namespace dtu
