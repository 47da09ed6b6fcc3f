#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/block/parameter_block.h"
#include "core/device/device_link.h"
#include "core/production/unit_result.h"
#include "core/serial/line_settings.h"
#include "core/serial/port_notification.h"
#include "core/serial/serial_port.h"
#include "core/user_messages.h"

namespace dtu {

// What a unit reported during one exchange.
struct UnitReport {
  UnitIdentity unit;
  std::string firmware;
  std::string signal;  // the text after "RSSI:"
  std::optional<ParameterBlock> block;
  std::optional<std::string> settings_answer;  // kSetOkMessage or kChkErrMessage
};

// Why a port could not be used.
struct ChannelOpenError {
  PortOpenFailure failure = PortOpenFailure::Other;
  std::string message;
};

// One port a worker thread talks to units on: the serial engine and the device link, driven
// from the thread that owns the channel. The monitor thread only wakes that thread; the
// recogniser runs on it. Everything but the constructor is for that thread only.
class PortChannel final : private PortOwner {
 public:
  enum class Outcome {
    Answered,  // the awaited answer is complete
    NoAnswer,  // the time limit passed first
    PortLost,  // the port vanished
    Stopped,   // the stop token asked the exchange to end
  };
  using AnsweredTest = std::function<bool(const UnitReport&)>;

  PortChannel(std::string device, LineSettings line);
  ~PortChannel();
  PortChannel(const PortChannel&) = delete;
  PortChannel& operator=(const PortChannel&) = delete;

  // Opens (or opens again) the port and starts watching it; the error when it cannot be opened
  // or set up with the line settings.
  std::optional<ChannelOpenError> Open();
  // Closes the port.
  void Close();
  bool is_open() const { return port_ != nullptr && !lost_; }

  // Sends `command` and collects what the unit reports until `answered` holds for it, the time
  // limit passes (counted from the send), the port is lost or `stop` is requested.
  Outcome Ask(std::string_view command, std::chrono::milliseconds limit,
              const AnsweredTest& answered, std::stop_token stop = {});

  // How long the line takes to carry `bytes` at the channel's baud rate.
  std::chrono::milliseconds LineTime(std::size_t bytes) const;

  // What the unit reported during the last Ask.
  const UnitReport& report() const { return report_; }
  const std::string& device() const { return device_; }
  // The last report of the engine (e.g. why the port was lost).
  const std::string& last_engine_message() const { return messages_.last; }

 private:
  // Keeps the engine's reports for the log instead of showing them.
  struct EngineMessages final : UserMessages {
    void Show(MessageKind kind, std::string_view text, std::string_view caption) override;
    Answer Ask(std::string_view text, std::string_view caption, Answer default_answer) override;
    std::string last;
    int count = 0;
  };
  // Puts what the device link recognises into the report.
  struct ReportSink final : DeviceLinkSink {
    explicit ReportSink(UnitReport& report) : report(report) {}
    void Message(MessageKind kind, std::string_view text, std::string_view caption) override;
    void SetAddress(int row, std::string_view text) override;
    void SetStatusText(int control_id, std::string_view text) override;
    void SetSignal(int value) override;
    void BlockReceived(const ParameterBlock& block) override;
    UnitReport& report;
  };

  void NotificationPending() override;
  void HandlePortMessage(const PortNotification& notification) override;

  std::string device_;
  LineSettings line_;
  EngineMessages messages_;
  UnitReport report_;
  ReportSink sink_{report_};
  DeviceLink link_{sink_};
  const AnsweredTest* answered_ = nullptr;
  bool lost_ = false;

  std::mutex mutex_;
  std::condition_variable_any wakeup_;
  bool notification_waiting_ = false;  // guarded by mutex_

  // Last, so that its monitor has stopped before the members it signals go.
  std::unique_ptr<SerialPort> port_;
};

}  // namespace dtu
