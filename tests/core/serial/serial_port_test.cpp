#include "core/serial/serial_port.h"

#include <gtest/gtest.h>
#include <sys/file.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>
#include <memory>
#include <random>
#include <span>

#include "core/serial/line_settings.h"
#include "core/serial/port_error_report.h"
#include "core/serial/port_list.h"
#include "core/serial/posix_port_backend.h"
#include "support/serial_test_support.h"

namespace dtu {
namespace {

using test::kPatience;
using test::PtyPair;
using test::RecordingOwner;
using test::TempDir;
using test::Watchdog;
using namespace std::chrono_literals;

constexpr int kWriteBufferSize = 4096;

std::string SystemText(int error) {
  return std::strerror(error);
}

std::string Report(std::string_view call, int error, std::string_view device) {
  return "WARNING:  " + std::string(call) + " Failed with the following error: \n" +
         SystemText(error) + "\nPort: " + std::string(device) + "\n";
}

bool OpenDefault(SerialPort& port, PortOwner& owner, const std::string& device,
                 std::uint32_t mask = kPortEventRxChar, int write_buffer_size = kWriteBufferSize) {
  return port.OpenPort(owner, device, LineSettings{}, PortWatch{mask, write_buffer_size, false});
}

bool AwaitMonitorEnd(const SerialPort& port) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (port.IsMonitoring()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Receiving

TEST(SerialPortReceive, DeliversOneNotificationPerByteInOrder) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());

  std::string sent;
  for (int value = 0; value < 256; ++value) sent.push_back(static_cast<char>(value));
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i) sent.push_back(static_cast<char>(random() & 0xFF));
  std::jthread device([&] { pty.Write(sent); });

  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.received().size() >= sent.size(); }));
  device.join();
  EXPECT_EQ(owner.received(), sent);
  const std::vector<PortNotification> notifications = owner.notifications();
  EXPECT_EQ(notifications.size(), sent.size());
  for (const PortNotification& n : notifications) {
    ASSERT_EQ(n.message, PortMessage::PortMsgRxChar);
    ASSERT_EQ(n.port, PortNumberFromName(pty.path()));
  }
}

TEST(SerialPortReceive, OwnerDispatchingOnTheMonitorThreadGetsEveryByte) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  owner.DispatchInline(port);
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());

  const std::string sent(2000, 'q');
  pty.Write(sent);
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (owner.received().size() < sent.size() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(owner.received(), sent);
}

TEST(SerialPortReceive, EveryWakeupSendsTheConfiguredLineEventsBeforeTheBytes) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  const std::uint32_t all = kPortEventRxChar | kPortEventRxFlag | kPortEventCts | kPortEventBreak |
                            kPortEventLineError | kPortEventRing;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path(), all));
  ASSERT_TRUE(port.StartMonitor());

  pty.Write("x");
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.received() == "x"; }));
  std::vector<PortMessage> order;
  for (const PortNotification& n : owner.notifications()) order.push_back(n.message);
  EXPECT_EQ(order,
            (std::vector<PortMessage>{PortMessage::PortMsgCtsChanged, PortMessage::PortMsgEventChar,
                                      PortMessage::PortMsgBreak, PortMessage::PortMsgLineError,
                                      PortMessage::PortMsgRing, PortMessage::PortMsgRxChar}));
}

// Counts the bytes the engine has taken from the port.
class CountingReadsBackend : public PosixPortBackend {
 public:
  PortIoResult ReadQueued(std::span<std::uint8_t> buffer) override {
    const PortIoResult read = PosixPortBackend::ReadQueued(buffer);
    taken_ += read.transferred;
    return read;
  }
  std::size_t taken() const { return taken_; }

 private:
  std::atomic<std::size_t> taken_{0};
};

TEST(SerialPortReceive, ReadsNoFurtherAheadThanOneBatchTheOwnerHasNotHandled) {
  constexpr std::size_t kBatch = 4096;
  PtyPair pty;
  RecordingOwner owner;
  auto backend = std::make_unique<CountingReadsBackend>();
  const CountingReadsBackend& reads = *backend;
  SerialPort port(std::move(backend));
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());

  const std::string sent(3 * kBatch, 'r');
  std::jthread unit([&] { pty.Write(sent); });
  for (int calls = 1; calls <= 2; ++calls) {
    ASSERT_TRUE(owner.AwaitPendingCalls(calls));
    std::this_thread::sleep_for(50ms);  // time to read ahead, were it to
    EXPECT_EQ(owner.pending_calls(), calls);
    EXPECT_LE(reads.taken(), owner.received().size() + kBatch);
    port.DispatchPending();
  }
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.received().size() == sent.size(); }));
}

TEST(SerialPortReceive, ADispatchFromInsideAHandlerDoesNothingAndTheBatchGoesOn) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  int depth = 0;
  int deepest = 0;
  owner.on_message = [&](const PortNotification&) {
    ++depth;
    deepest = std::max(deepest, depth);
    port.DispatchPending();  // as a modal box's event loop would
    --depth;
  };
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());

  const std::string sent = "0123456789abcdefghij";
  pty.Write(sent);
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.received().size() >= sent.size(); }));
  EXPECT_EQ(owner.received(), sent);
  EXPECT_EQ(deepest, 1);
}

TEST(SerialPortReceive, WithoutTheCharacterBitInputIsNotDeliveredAndWritesStillGoOut) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path(), kPortEventRing));
  ASSERT_TRUE(port.StartMonitor());

  pty.Write("ab");
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.CountOf(PortMessage::PortMsgRing) >= 1; }));
  // A monitor spinning on the unread input would never get to the write.
  port.SendText("ok");
  auto reply = std::async(std::launch::async, [&] { return pty.Read(2); });
  ASSERT_TRUE(
      owner.PumpUntil(port, [&] { return reply.wait_for(0s) == std::future_status::ready; }));
  EXPECT_EQ(reply.get(), "ok");
  EXPECT_EQ(owner.CountOf(PortMessage::PortMsgRxChar), 0);
}

// ---------------------------------------------------------------------------------------------
// Sending

TEST(SerialPortSend, SendsUpToTheFirstNulAndNothingForAnEmptyText) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());

  port.SendText(std::string_view("AT\0XY", 5));
  EXPECT_EQ(pty.Read(2), "AT");
  port.SendText("");
  port.SendText(std::string_view("\0Q", 2));
  port.SendText("Z");
  EXPECT_EQ(pty.Read(1), "Z");
  EXPECT_EQ(pty.Read(1, 100ms), "");
}

TEST(SerialPortSend, CutsTheTextToTheWriteBuffer) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path(), kPortEventRxChar, 8));
  ASSERT_TRUE(port.StartMonitor());

  port.SendText("0123456789");
  EXPECT_EQ(pty.Read(7), "0123456");
  port.SendText("!");
  EXPECT_EQ(pty.Read(1), "!");
}

TEST(SerialPortSend, ALongFrameGoesOutWhole) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());

  std::string frame = "$$$AT+SETPARA";
  while (frame.size() < 4095) frame.push_back("0123456789ABCDEF"[frame.size() % 16]);
  port.SendText(frame);
  EXPECT_EQ(pty.Read(frame.size()), frame);
}

// Puts bytes into the port's input queue just before the purge of a write, so they are
// there but not yet read when the write starts.
class InputBeforePurgeBackend : public PosixPortBackend {
 public:
  explicit InputBeforePurgeBackend(const PtyPair& pty) : pty_(pty) {}
  void Arm() { armed_ = true; }
  int queued_at_purge() const { return queued_at_purge_; }

  int Purge() override {
    if (armed_.exchange(false)) {
      pty_.Write("junk");
      pty_.AwaitSlaveQueued(4);
      queued_at_purge_ = pty_.SlaveQueued();
    }
    return PosixPortBackend::Purge();
  }

 private:
  const PtyPair& pty_;
  std::atomic<bool> armed_{false};
  std::atomic<int> queued_at_purge_{-1};
};

TEST(SerialPortSend, DiscardsInputNotYetReadBeforeWriting) {
  PtyPair pty;
  RecordingOwner owner;
  auto backend = std::make_unique<InputBeforePurgeBackend>(pty);
  InputBeforePurgeBackend& hook = *backend;
  SerialPort port(std::move(backend));
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());

  hook.Arm();
  port.SendText("cmd");
  EXPECT_EQ(pty.Read(3), "cmd");
  EXPECT_EQ(hook.queued_at_purge(), 4);
  EXPECT_EQ(pty.SlaveQueued(), 0);

  pty.Write("M");
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return !owner.received().empty(); }));
  EXPECT_EQ(owner.received(), "M");
}

// A unit that sends without pause: the master side is kept full of bytes until stopped.
class FloodingUnit {
 public:
  explicit FloodingUnit(const PtyPair& pty)
      : thread_([&pty](std::stop_token stop) {
          pty.SetMasterNonBlocking();
          const std::string chunk(512, 'f');
          while (!stop.stop_requested()) {
            if (::write(pty.master(), chunk.data(), chunk.size()) < 0) {
              pollfd out{pty.master(), POLLOUT, 0};
              ::poll(&out, 1, 5);
            }
          }
        }) {}

 private:
  std::jthread thread_;
};

TEST(SerialPortSend, WritesGoOutWhileTheUnitNeverStopsSending) {
  Watchdog watchdog(120s, "writing to a flooding unit");
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());
  FloodingUnit unit(pty);
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.received().size() > 10000; }));

  for (int i = 0; i < 20; ++i) {
    const std::string command = "$$$AT+GET1?#" + std::to_string(i);
    port.SendText(command);
    auto written = std::async(std::launch::async, [&] { return pty.Read(command.size()); });
    ASSERT_TRUE(
        owner.PumpUntil(port, [&] { return written.wait_for(0s) == std::future_status::ready; }))
        << "command " << i;
    EXPECT_EQ(written.get(), command);
  }
  EXPECT_EQ(owner.CountOf(PortMessage::PortMsgFailure), 0);
}

// ---------------------------------------------------------------------------------------------
// Wake-up order

struct WakeupCase {
  bool shutdown;
  bool data;
  bool write;
  std::uint32_t mask;
  PortWakeup expected;
};

TEST(PosixPortBackendWait, ShutdownBeforeDataBeforeWrite) {
  const WakeupCase cases[] = {
      {true, true, true, kPortEventRxChar, PortWakeup::Shutdown},
      {true, false, false, kPortEventRxChar, PortWakeup::Shutdown},
      {false, true, true, kPortEventRxChar, PortWakeup::Comm},
      {false, false, true, kPortEventRxChar, PortWakeup::Write},
      {false, true, true, 0, PortWakeup::Write},  // no events configured: input is not watched
  };
  for (const WakeupCase& c : cases) {
    PtyPair pty;
    PosixPortBackend backend;
    ASSERT_EQ(backend.CreateWakeups(), 0);
    ASSERT_EQ(backend.Open(pty.path()), 0);
    backend.SetEventMask(c.mask);
    if (c.data) {
      pty.Write("d");
      ASSERT_TRUE(pty.AwaitSlaveQueued(1));
    }
    if (c.shutdown) backend.SignalShutdown();
    if (c.write) backend.SignalWrite();
    EXPECT_EQ(backend.Wait().wakeup, c.expected)
        << "shutdown " << c.shutdown << " data " << c.data << " write " << c.write;
  }
}

TEST(PosixPortBackendWait, AClosedMasterIsAHangup) {
  PtyPair pty;
  PosixPortBackend backend;
  ASSERT_EQ(backend.CreateWakeups(), 0);
  ASSERT_EQ(backend.Open(pty.path()), 0);
  backend.SetEventMask(kPortEventRxChar);
  pty.CloseMaster();
  EXPECT_EQ(backend.Wait().wakeup, PortWakeup::Hangup);
}

// Lets data arrive and shutdown be requested before the monitor's first wait.
class ShutdownWithDataBackend : public PosixPortBackend {
 public:
  explicit ShutdownWithDataBackend(const PtyPair& pty) : pty_(pty) {}

  PortWaitResult Wait() override {
    if (first_.exchange(false)) {
      pty_.Write("data");
      pty_.AwaitSlaveQueued(4);
      SignalWrite();
      SignalShutdown();
    }
    return PosixPortBackend::Wait();
  }

 private:
  const PtyPair& pty_;
  std::atomic<bool> first_{true};
};

TEST(SerialPortShutdown, ShutdownPendingTogetherWithDataDeliversNothing) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port(std::make_unique<ShutdownWithDataBackend>(pty));
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());

  ASSERT_TRUE(AwaitMonitorEnd(port));
  EXPECT_EQ(owner.pending_calls(), 0);
  EXPECT_EQ(pty.SlaveQueued(), 4);
  port.DispatchPending();
  EXPECT_TRUE(owner.notifications().empty());
}

// ---------------------------------------------------------------------------------------------
// Lifecycle

TEST(SerialPortLifecycle, OpeningAgainStopsTheRunningMonitorFirst) {
  PtyPair first;
  PtyPair second;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, first.path()));
  ASSERT_TRUE(port.StartMonitor());
  first.Write("a");
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.received() == "a"; }));

  // The monitor now waits for the owner to take "b".
  first.Write("b");
  ASSERT_TRUE(owner.AwaitPendingCalls(2));
  ASSERT_TRUE(OpenDefault(port, owner, second.path()));
  EXPECT_FALSE(port.IsMonitoring());
  port.DispatchPending();
  EXPECT_EQ(owner.received(), "a");

  // The first port was closed: another engine can have it.
  RecordingOwner other_owner;
  SerialPort other;
  EXPECT_TRUE(OpenDefault(other, other_owner, first.path()));

  ASSERT_TRUE(port.StartMonitor());
  second.Write("c");
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.received() == "ac"; }));
  EXPECT_EQ(owner.notifications().back().port, PortNumberFromName(second.path()));
}

TEST(SerialPortLifecycle, DestroyingWhileTheMonitorWaitsForTheOwnerReturns) {
  Watchdog watchdog(60s, "destroying a waiting engine");
  PtyPair pty;
  RecordingOwner owner;
  auto port = std::make_unique<SerialPort>();
  ASSERT_TRUE(OpenDefault(*port, owner, pty.path()));
  ASSERT_TRUE(port->StartMonitor());
  pty.Write("xyz");
  ASSERT_TRUE(owner.AwaitPendingCalls(1));

  port.reset();
  EXPECT_TRUE(owner.notifications().empty());
}

TEST(SerialPortLifecycle, TheOwnerMayDestroyTheEngineWhileHandlingANotification) {
  Watchdog watchdog(60s, "destroying the engine from its handler");
  PtyPair pty;
  RecordingOwner owner;
  auto port = std::make_unique<SerialPort>();
  SerialPort* raw = port.get();
  owner.on_message = [&](const PortNotification&) { port.reset(); };
  ASSERT_TRUE(OpenDefault(*port, owner, pty.path()));
  ASSERT_TRUE(port->StartMonitor());
  pty.Write("xy");

  ASSERT_TRUE(owner.AwaitPendingCalls(1));
  raw->DispatchPending();  // destroys the engine inside
  EXPECT_EQ(port, nullptr);
  EXPECT_EQ(owner.received(), "x");
}

TEST(SerialPortLifecycle, DispatchWithNothingPendingDoesNothing) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  port.DispatchPending();
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  port.DispatchPending();
  ASSERT_TRUE(port.StartMonitor());
  port.DispatchPending();
  EXPECT_TRUE(owner.notifications().empty());
}

TEST(SerialPortLifecycle, NoMonitorWithoutAnOpenPort) {
  RecordingOwner owner;
  SerialPort port;
  EXPECT_FALSE(port.StartMonitor());
  EXPECT_FALSE(OpenDefault(port, owner, "/dev/no-such-port0"));
  EXPECT_FALSE(port.StartMonitor());
  EXPECT_FALSE(port.IsMonitoring());
}

TEST(SerialPortLifecycle, ThousandOpenCloseCyclesWhileBytesStreamInNeverHang) {
  Watchdog watchdog(120s, "1000 open/close cycles");
  PtyPair fresh_pty;  // a new engine each cycle
  PtyPair kept_pty;   // one engine opened again and again
  fresh_pty.SetMasterNonBlocking();
  kept_pty.SetMasterNonBlocking();
  std::atomic<bool> streaming{true};
  std::jthread device([&] {
    while (streaming) {
      for (const PtyPair* pty : {&fresh_pty, &kept_pty}) {
        [[maybe_unused]] const ssize_t n = ::write(pty->master(), "0123456789", 10);
      }
      std::this_thread::sleep_for(100us);
    }
  });

  RecordingOwner kept_owner;
  SerialPort kept;
  for (int cycle = 0; cycle < 1000; ++cycle) {
    ASSERT_TRUE(OpenDefault(kept, kept_owner, kept_pty.path())) << "cycle " << cycle;
    ASSERT_TRUE(kept.StartMonitor());

    RecordingOwner owner;
    SerialPort port;
    if (cycle % 3 == 0) owner.DispatchInline(port);
    ASSERT_TRUE(OpenDefault(port, owner, fresh_pty.path())) << "cycle " << cycle;
    ASSERT_TRUE(port.StartMonitor());
    if (cycle % 3 == 1)
      owner.PumpUntil(
          port, [&] { return !owner.received().empty(); }, 50ms);
    // cycle % 3 == 2: never dispatched; the monitor is left waiting for the owner.
    if (cycle % 5 == 0) port.SendText("ping");
  }
  streaming = false;
}

// ---------------------------------------------------------------------------------------------
// Opening

struct LineCase {
  int baud;
  char parity;
  int data_bits;
  int stop_bits;
  speed_t speed;
  tcflag_t size;
};

const LineCase kLineCases[] = {
    {9600, 'N', 8, 1, B9600, CS8},     {115200, 'E', 7, 2, B115200, CS7},
    {921600, 'O', 8, 1, B921600, CS8}, {110, 'N', 5, 2, B110, CS5},
    {57600, 'O', 6, 1, B57600, CS6},
};

void ExpectLine(const termios& line, const LineCase& c, bool with_character_format) {
  EXPECT_EQ(::cfgetospeed(&line), c.speed);
  EXPECT_EQ(::cfgetispeed(&line), c.speed);
  EXPECT_EQ((line.c_cflag & CSTOPB) != 0, c.stop_bits == 2);
  if (with_character_format) {
    EXPECT_EQ(line.c_cflag & CSIZE, c.size);
    EXPECT_EQ((line.c_cflag & PARENB) != 0, c.parity != 'N');
    EXPECT_EQ((line.c_cflag & PARODD) != 0, c.parity == 'O');
  }
  EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
  EXPECT_EQ(line.c_cflag & CRTSCTS, tcflag_t{0});
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), tcflag_t{0});
  EXPECT_EQ(line.c_oflag & OPOST, tcflag_t{0});
  EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t{0});
  EXPECT_EQ(line.c_cc[VMIN], 0);
  EXPECT_EQ(line.c_cc[VTIME], 0);
}

TEST(SerialPortOpen, AppliesTheLineSettings) {
  for (const LineCase& c : kLineCases) {
    SCOPED_TRACE(c.baud);
    PtyPair pty;
    RecordingOwner owner;
    SerialPort port;
    ASSERT_TRUE(
        port.OpenPort(owner, pty.path(), LineSettings{c.baud, c.parity, c.data_bits, c.stop_bits}));
    EXPECT_FALSE(port.setup_failure());
    termios line{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &line), 0);
    // A pseudo-terminal always keeps 8 data bits without parity, whatever it is told.
    ExpectLine(line, c, false);
  }
}

TEST(PosixPortBackendLine, MapsEverySettingToTheTerminal) {
  termios cooked{};
  cooked.c_iflag = ICRNL | IXON | IXOFF;
  cooked.c_oflag = OPOST | ONLCR;
  cooked.c_cflag = CS8 | CREAD | CRTSCTS | HUPCL;
  cooked.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  cooked.c_cc[VMIN] = 1;
  for (const LineCase& c : kLineCases) {
    SCOPED_TRACE(c.baud);
    const LineSettings settings{c.baud, c.parity, c.data_bits, c.stop_bits, true};
    const std::optional<termios> line = PosixPortBackend::LineTermios(cooked, settings);
    ASSERT_TRUE(line.has_value());
    ExpectLine(*line, c, true);
  }
  EXPECT_FALSE(PosixPortBackend::LineTermios(cooked, LineSettings{12345, 'N', 8, 1, true}));
}

TEST(SerialPortOpen, ASecondEngineFindsThePortBusy) {
  PtyPair pty;
  RecordingOwner owner;
  auto first = std::make_unique<SerialPort>();
  ASSERT_TRUE(OpenDefault(*first, owner, pty.path()));

  SerialPort second;
  EXPECT_FALSE(OpenDefault(second, owner, pty.path()));
  EXPECT_EQ(second.open_error().code, EBUSY);
  EXPECT_EQ(second.open_error().kind(), PortOpenFailure::Busy);
  EXPECT_EQ(second.open_error().text, SystemText(EBUSY));
  EXPECT_FALSE(second.IsOpen());

  first.reset();
  EXPECT_TRUE(OpenDefault(second, owner, pty.path()));
  EXPECT_EQ(second.open_error().kind(), PortOpenFailure::None);
}

// Its exclusive flag would outlast a program killed while holding it: the lock goes with it.
TEST(SerialPortOpen, APseudoTerminalIsLockedButNotMadeExclusive) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  int exclusive = -1;
  ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  EXPECT_NE(::flock(pty.slave(), LOCK_EX | LOCK_NB), 0);
}

TEST(SerialPortOpen, APortLockedByAnotherProgramIsBusy) {
  PtyPair pty;
  const int other = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  RecordingOwner owner;
  SerialPort port;
  EXPECT_FALSE(OpenDefault(port, owner, pty.path()));
  EXPECT_EQ(port.open_error().kind(), PortOpenFailure::Busy);
  ::close(other);
}

TEST(SerialPortOpen, ReportsWhyADeviceCannotBeOpened) {
  TempDir dir;
  const std::filesystem::path plain_file = dir.path() / "ttyUSB4";
  std::ofstream(plain_file) << "not a terminal";
  struct Case {
    std::string device;
    int code;
    PortOpenFailure kind;
  };
  const Case cases[] = {
      {(dir.path() / "ttyUSB9").string(), ENOENT, PortOpenFailure::Missing},
      {"", ENOENT, PortOpenFailure::Missing},
      {plain_file.string(), ENOTTY, PortOpenFailure::NotATerminal},
  };
  for (const Case& c : cases) {
    RecordingOwner owner;
    SerialPort port;
    EXPECT_FALSE(OpenDefault(port, owner, c.device)) << c.device;
    EXPECT_EQ(port.open_error().code, c.code) << c.device;
    EXPECT_EQ(port.open_error().kind(), c.kind) << c.device;
    EXPECT_EQ(port.open_error().text, SystemText(c.code)) << c.device;
    EXPECT_FALSE(port.IsOpen());
  }
}

// ---------------------------------------------------------------------------------------------
// Error reports

// A real port whose line settings fail to apply with `failure`.
class FailingLineBackend : public PosixPortBackend {
 public:
  explicit FailingLineBackend(PortFailure failure) : failure_(failure) {}
  PortFailure ApplyLineSettings(const LineSettings& settings) override {
    return failure_ ? failure_ : PosixPortBackend::ApplyLineSettings(settings);
  }

 private:
  PortFailure failure_;
};

TEST(SerialPortReports, ALineThePortCannotTakeIsTypedAndThePortStaysOpen) {
  struct Case {
    PortFailure injected;  // none: the real port refuses
    int baud;
    char parity;
    std::string_view call;
    int error;
  };
  const Case cases[] = {
      {{}, 12345, 'N', "cfsetspeed()", EINVAL},
      {{}, 9600, 'X', "tcsetattr()", EINVAL},
      {{EIO, "tcgetattr()"}, 9600, 'N', "tcgetattr()", EIO},
      {{EIO, "tcsetattr()"}, 9600, 'N', "tcsetattr()", EIO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.call));
    PtyPair pty;
    RecordingOwner owner;
    SerialPort port(std::make_unique<FailingLineBackend>(c.injected));

    EXPECT_TRUE(port.OpenPort(owner, pty.path(), LineSettings{c.baud, c.parity, 8, 1}));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.setup_failure(), (PortFailure{c.error, c.call}));
    EXPECT_EQ(port.DescribeFailure(port.setup_failure()), Report(c.call, c.error, pty.path()));
    EXPECT_TRUE(port.StartMonitor());
  }
}

TEST(PortErrorReport, ShortensTheSystemTextToFitAndKeepsTheFrame) {
  const std::string head = "WARNING:  read() Failed with the following error: \n";
  const std::string tail = "\nPort: /dev/ttyUSB12\n";
  const std::size_t room = kPortErrorReportSize - 1 - head.size() - tail.size();
  std::string chinese;
  while (chinese.size() < 300) chinese += "设备";  // 3 bytes a character
  struct Case {
    std::string system_text;
    std::string expected_text;
  };
  const Case cases[] = {
      {"Input/output error", "Input/output error"},
      {"", ""},
      {std::string(room, 'a'), std::string(room, 'a')},
      {std::string(room + 1, 'b'), std::string(room, 'b')},
      {std::string(500, 'c'), std::string(room, 'c')},
      {chinese, chinese.substr(0, room - room % 3)},
      {std::string("cut\0here", 8), "cut"},
  };
  for (const Case& c : cases) {
    const std::string report = FormatPortErrorReport("read()", c.system_text, "/dev/ttyUSB12");
    EXPECT_EQ(report, head + c.expected_text + tail);
    EXPECT_LT(report.size(), kPortErrorReportSize);
  }
}

TEST(PortErrorReport, ADevicePathTooLongKeepsItsEnd) {
  const std::string device = "/dev/serial/by-id/" + std::string(300, 'x') + "-if00-port0";
  const std::string report = FormatPortErrorReport("poll()", "Input/output error", device);
  EXPECT_LT(report.size(), kPortErrorReportSize);
  EXPECT_TRUE(report.starts_with(
      "WARNING:  poll() Failed with the following error: \nInput/output error\nPort: ...xxx"));
  EXPECT_TRUE(report.ends_with("xxx-if00-port0\n"));
}

// Failures on the monitor thread reach the owner on its own thread.
class FailingIoBackend : public PosixPortBackend {
 public:
  FailingIoBackend(std::optional<PortIoResult> write, std::optional<PortIoResult> read)
      : write_(write), read_(read) {}
  PortIoResult Write(std::string_view data) override {
    return write_ ? *write_ : PosixPortBackend::Write(data);
  }
  PortIoResult ReadQueued(std::span<std::uint8_t> buffer) override {
    return read_ ? *read_ : PosixPortBackend::ReadQueued(buffer);
  }
  std::string ErrorText(int code) const override {
    return code == EPERM ? std::string(400, 'e') : PosixPortBackend::ErrorText(code);
  }

 private:
  std::optional<PortIoResult> write_;
  std::optional<PortIoResult> read_;
};

// The failures the owner was told of, and on which thread.
std::vector<PortFailure> FailuresOf(const RecordingOwner& owner) {
  std::vector<PortFailure> failures;
  for (const PortNotification& n : owner.notifications())
    if (n.message == PortMessage::PortMsgFailure) failures.push_back(n.failure);
  return failures;
}

TEST(SerialPortReports, AFailedWriteIsTypedForTheOwnerEachTime) {
  for (const std::string_view call : {"write()", "poll()"}) {
    PtyPair pty;
    RecordingOwner owner;
    SerialPort port(
        std::make_unique<FailingIoBackend>(PortIoResult{{EINVAL, call}, 0}, std::nullopt));
    ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
    ASSERT_TRUE(port.StartMonitor());

    std::vector<std::thread::id> threads;
    owner.on_message = [&](const PortNotification&) {
      threads.push_back(std::this_thread::get_id());
    };
    port.SendText("a");
    ASSERT_TRUE(owner.PumpUntil(port, [&] { return FailuresOf(owner).size() == 1; }));
    port.SendText("b");
    ASSERT_TRUE(owner.PumpUntil(port, [&] { return FailuresOf(owner).size() == 2; }));
    EXPECT_EQ(FailuresOf(owner), (std::vector<PortFailure>(2, PortFailure{EINVAL, call})));
    EXPECT_EQ(port.DescribeFailure(FailuresOf(owner)[0]), Report(call, EINVAL, pty.path()));
    EXPECT_EQ(threads, std::vector<std::thread::id>(2, std::this_thread::get_id()));
    EXPECT_TRUE(port.IsMonitoring());
    EXPECT_EQ(owner.notifications().size(), 2u);
  }
}

TEST(SerialPortReports, ALongSystemTextIsShortenedInAMonitorReport) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port(
      std::make_unique<FailingIoBackend>(PortIoResult{{EPERM, "write()"}, 0}, std::nullopt));
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());
  port.SendText("a");
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return FailuresOf(owner).size() == 1; }));
  const std::string text = port.DescribeFailure(FailuresOf(owner)[0]);
  EXPECT_EQ(text.size(), kPortErrorReportSize - 1);
  EXPECT_TRUE(text.starts_with("WARNING:  write() Failed with the following error: \neee"));
  EXPECT_TRUE(text.ends_with("e\nPort: " + pty.path() + "\n"));
}

TEST(SerialPortReports, ReadsThatKeepFailingEndTheMonitorWithOneFailureTold) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port(
      std::make_unique<FailingIoBackend>(std::nullopt, PortIoResult{{EINVAL, "read()"}, 0}));
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());
  pty.Write("a");

  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.CountOf(PortMessage::PortMsgGone) > 0; }));
  ASSERT_TRUE(AwaitMonitorEnd(port));
  port.DispatchPending();
  EXPECT_EQ(FailuresOf(owner), (std::vector<PortFailure>{{EINVAL, "read()"}}));
  EXPECT_EQ(owner.CountOf(PortMessage::PortMsgGone), 1);
  EXPECT_EQ(owner.notifications().back().failure, (PortFailure{EINVAL, "read()"}));
  EXPECT_EQ(owner.CountOf(PortMessage::PortMsgRxChar), 0);
}

TEST(SerialPortReports, AVanishedPortIsAnnouncedAsGoneOnceWithItsReason) {
  PtyPair pty;
  RecordingOwner owner;
  SerialPort port;
  ASSERT_TRUE(OpenDefault(port, owner, pty.path()));
  ASSERT_TRUE(port.StartMonitor());
  pty.Write("a");
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.received() == "a"; }));

  pty.CloseMaster();
  ASSERT_TRUE(owner.PumpUntil(port, [&] { return owner.CountOf(PortMessage::PortMsgGone) > 0; }));
  ASSERT_TRUE(AwaitMonitorEnd(port));
  port.DispatchPending();
  port.SendText("after");

  EXPECT_TRUE(FailuresOf(owner).empty()) << "the owner words a vanished port itself";
  EXPECT_EQ(owner.CountOf(PortMessage::PortMsgGone), 1);
  const PortNotification gone = owner.notifications().back();
  EXPECT_EQ(gone.message, PortMessage::PortMsgGone);
  EXPECT_EQ(gone.failure.error, EIO);
  EXPECT_TRUE(port.DescribeFailure(gone.failure)
                  .ends_with("\nInput/output error\nPort: " + pty.path() + "\n"));
}

TEST(SerialPortReports, AVanishedPortNobodyDispatchesForStillShutsDown) {
  Watchdog watchdog(60s, "shutting down after the port vanished");
  PtyPair pty;
  RecordingOwner owner;
  auto port = std::make_unique<SerialPort>();
  ASSERT_TRUE(OpenDefault(*port, owner, pty.path()));
  ASSERT_TRUE(port->StartMonitor());
  pty.CloseMaster();
  ASSERT_TRUE(owner.AwaitPendingCalls(1));
  port.reset();
}

// ---------------------------------------------------------------------------------------------
// Names and line settings

TEST(PortNumberFromName, IsTheNumberAtTheEndOfTheName) {
  const std::pair<std::string_view, int> cases[] = {
      {"/dev/ttyUSB0", 0},
      {"COM3", 3},
      {"/dev/ttyS10", 10},
      {"/dev/pts/7", 7},
      {"ttyACM12", 12},
      {"/dev/ttyUSB", 0},
      {"COM", 0},
      {"", 0},
      {"COM3x", 0},
      {"ttyS007", 7},
      {"ttyUSB99999999999", 0},
  };
  for (const auto& [name, number] : cases) EXPECT_EQ(PortNumberFromName(name), number) << name;
}

TEST(LineSettings, ValidOnlyWhatAPortCanTake) {
  const std::pair<LineSettings, bool> cases[] = {
      {{9600, 'N', 8, 1, true}, true},  {{921600, 'O', 5, 2, false}, true},
      {{110, 'E', 6, 1, true}, true},   {{12345, 'N', 8, 1, true}, false},
      {{9600, 'n', 8, 1, true}, false}, {{9600, 'N', 9, 1, true}, false},
      {{9600, 'N', 4, 1, true}, false}, {{9600, 'N', 8, 3, true}, false},
  };
  for (const auto& [settings, valid] : cases) {
    EXPECT_EQ(IsValidLineSettings(settings), valid) << settings.baud_rate << settings.parity;
  }
}

TEST(LineSettings, LineTimeCountsEveryBitOfACharacter) {
  const std::tuple<LineSettings, std::size_t, std::chrono::milliseconds> cases[] = {
      {{9600, 'N', 8, 1}, 1333, 1389ms},   // 10 bits a character
      {{1200, 'N', 8, 1}, 1600, 13334ms},  // rounded up
      {{110, 'E', 8, 2}, 1333, 145419ms},  // 12 bits with parity and two stop bits
      {{2400, 'O', 7, 1}, 2400, 10000ms},  // 10 bits
      {{0, 'N', 8, 1}, 14, 0ms},           // a line without a rate takes no time
  };
  for (const auto& [line, bytes, time] : cases)
    EXPECT_EQ(LineTime(line, bytes), time) << line.baud_rate << line.parity << line.stop_bits;
}

}  // namespace
}  // namespace dtu
