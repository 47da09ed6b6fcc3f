#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dtu {

// The two commands that wait for the unit's answer.
enum class ExchangeKind {
  ReadParameters,   // "$$$AT+GETPARA?", answered by "DTUPARA" and the block's 1,320 digits
  WriteParameters,  // "$$$AT+SETPARA" and the block, answered by "$$$SETOK" or "$$$ChkErr\r"
};

// How an exchange ended.
enum class ExchangeOutcome {
  Completed,   // the answer arrived (whatever it said)
  TimedOut,    // no byte for the time limit
  PortClosed,  // the user closed the port first
  PortLost,    // the port vanished
};

// One command sent to the unit and what has come back for it so far: the count of bytes, the
// first of them (for the message when the answer never completes) and the block digits counted.
// Plain data; the window's clock decides when the time is up.
class DeviceExchange {
 public:
  // The received bytes kept for the time-out message; the rest are only counted.
  static constexpr std::size_t kShownBytes = 48;

  DeviceExchange(ExchangeKind kind, std::string_view sent);

  ExchangeKind kind() const { return kind_; }
  std::size_t sent_size() const { return sent_size_; }
  std::size_t received_count() const { return received_count_; }
  std::size_t block_digits() const { return block_digits_; }

  void AddReceived(std::uint8_t byte);
  void SetBlockDigits(std::size_t digits) { block_digits_ = digits; }

  // The message when no byte came for `limit`: what was sent (the command, not the block's
  // digits), what came back, and what to check.
  std::string TimeoutMessage(std::chrono::milliseconds limit, std::string_view port) const;

 private:
  ExchangeKind kind_;
  std::string command_;  // the command's keyword, without the block's digits
  std::size_t sent_size_;
  std::size_t received_count_ = 0;
  std::string first_bytes_;
  std::size_t block_digits_ = 0;
};

// How long a line at `baud_rate` with `bits_per_character` (start, data, parity and stop bits)
// needs to carry `bytes`, rounded up; the wait for the first answer byte starts after it, so
// that a long frame on a slow line is not taken for silence.
std::chrono::milliseconds TransmitTime(std::size_t bytes, int baud_rate, int bits_per_character);

// The time limit's range in whole seconds, as the window offers it, and its default.
inline constexpr int kMinReplySeconds = 1;
inline constexpr int kMaxReplySeconds = 600;
inline constexpr int kDefaultReplySeconds = 5;

}  // namespace dtu
