#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dtu {

// The commands that wait for the unit's answer.
enum class ExchangeKind {
  ReadParameters,   // "$$$AT+GETPARA?", answered by "DTUPARA" and the block's 1,320 digits
  WriteParameters,  // "$$$AT+SETPARA" and the block, answered by "$$$SETOK" or "$$$ChkErr\r"
  ReadSignal,       // "$$$AT+GET1?", answered by "RSSI:" and the value
};

// One command sent to the unit and what has come back for it so far: the count of bytes, the
// first of them (for the message when the answer never completes) and the block digits counted.
// Plain data; the unit session's clock decides when the time is up.
class DeviceExchange {
 public:
  // The received bytes kept for the messages; the rest are only counted.
  static constexpr std::size_t kShownBytes = 48;

  DeviceExchange(ExchangeKind kind, std::string_view sent);

  ExchangeKind kind() const { return kind_; }
  std::size_t sent_size() const { return sent_size_; }
  std::size_t received_count() const { return received_count_; }
  std::size_t block_digits() const { return block_digits_; }
  // The first kShownBytes bytes that came back.
  const std::string& first_bytes() const { return first_bytes_; }

  void AddReceived(std::uint8_t byte);
  void SetBlockDigits(std::size_t digits) { block_digits_ = digits; }

  // The message when no byte came for `limit`: what was sent (the command, not the block's
  // digits), what came back, and what to check.
  std::string TimeoutMessage(std::chrono::milliseconds limit, std::string_view port) const;
  // The message when bytes kept coming for `took` without forming the answer (a wrong baud rate,
  // noise on the line): how much came and what it looked like.
  std::string OverlongMessage(std::chrono::milliseconds took, std::string_view port) const;
  // The message when the user (or a stop) ended the wait: what had come until then.
  std::string CancelledMessage(std::string_view port) const;

 private:
  std::string Heading() const;
  std::string Account(std::string_view port) const;

  ExchangeKind kind_;
  std::string command_;  // the command's keyword, without the block's digits
  std::size_t sent_size_;
  std::size_t received_count_ = 0;
  std::string first_bytes_;
  std::size_t block_digits_ = 0;
};

}  // namespace dtu
