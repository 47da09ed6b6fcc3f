#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/device/device_event.h"

namespace dtu {

// The receive side of the device protocol: a recogniser fed one received byte at a time. It has
// no framing and pairs no reply with a command; every keyword counts whenever it arrives.
//
// Keywords (byte strings, case-sensitive), each reported as a typed event:
//   "SETACNOK\r\n"  Acknowledgement::CodeAccepted
//   "$$$SETOK"      Acknowledgement::Stored
//   "$$$ChkErr\r"   Acknowledgement::Refused
//   "DTUPARA"       the next 1320 bytes are the parameter block in hex
//   "\r\n    IP:", "DNSIP1:".."DNSIP6:", "DNSSERVERIP1:", "DNSSERVERIP2:"
//                   address rows 0 to 8, value up to "\r\n"
//   "XuLieHao:", "GSN:"   board and module serial numbers, value up to "\r\n"
//   "VER:", "CSCA:", "RSSI:"  version, SIM SMS centre, signal strength, value up to "\r"
// Each keyword has its own MatchStep counter, so after a mismatch only the current byte is tried
// as a new start: "$$$$SETOK" is missed while "x$$$SETOK" is recognised.
//
// Value buffer: all labelled values share one 300-byte buffer with one write index. Starting a
// field sets the index to 0; every byte a collecting field takes is written at the index, which
// then advances. Once the index has reached the end of the buffer, further bytes are dropped and
// the index stays there, while the field keeps collecting and its terminator is still seen. When
// the terminator completes, the index moves back by the terminator's length (never below 0) and
// the value is the buffer's text before it, up to its first 0x00 byte. So a value ended by "\r\n"
// keeps at most its first 298 bytes and one ended by "\r" at most its first 299; anything longer
// is cut to that, and nothing is ever written outside the buffer.
//
// Block: the 1320 bytes that follow "DTUPARA", whatever they are, except that a byte completing
// another keyword is not stored. After the 1320th, they are decoded with DecodeHexText (either
// case; any other character counts 0 for its half) and reported as a BlockEvent, with whether
// its checksum matches once its length word is taken as 660.
//
// State lives as long as the object; the unit session resets it before every command it sends,
// so that an answer cut off earlier leaves nothing half recognised behind.
//
// Re-entrancy: a sink may run a nested event loop (a modal box) that feeds further bytes.
// A byte is fully recognised before any of its events goes out, so a nested call meets a
// consistent recogniser that has already taken every earlier byte.
class DeviceLink {
 public:
  static constexpr std::size_t kFieldBufferSize = 300;
  static constexpr std::size_t kBlockHexSize = 2 * kBlockSize;  // 1320

  // `sink` must outlive the link.
  explicit DeviceLink(DeviceEventSink& sink) : sink_(sink) {}
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  // Handles one received byte.
  void FeedChar(std::uint8_t byte);

  // FeedChar for each byte in order.
  void Feed(std::string_view bytes);

  // Back to the state of a fresh link: no progress, no field, no block under way.
  void Reset() { state_ = State{}; }

  // How many of the block's 1,320 digits have arrived behind "DTUPARA" so far; 0 while no block
  // is being collected (also right after the 1,320th, once the block has been handed over).
  std::size_t block_digits() const { return state_.collecting_block ? state_.hex_count : 0; }

 private:
  static constexpr std::size_t kFieldCount = 14;
  static constexpr std::size_t kTerminatorCounterCount = 6;  // one shared, DNSIP2 to DNSIP6

  struct State {
    int acn_ok_progress = 0;
    int set_ok_progress = 0;
    int chk_err_progress = 0;
    int block_start_progress = 0;
    std::array<int, kFieldCount> keyword_progress{};
    std::array<int, kTerminatorCounterCount> terminator_progress{};
    std::array<bool, kFieldCount> collecting{};
    std::array<char, kFieldBufferSize> field_buffer{};
    std::size_t field_index = 0;
    bool collecting_block = false;
    // True when every keyword counter is 0 and no field collects: a byte that starts no keyword
    // then changes nothing before the block step (see Recognise).
    bool quiet = true;
    std::size_t hex_count = 0;
    std::array<char, kBlockHexSize> hex_buffer{};
  };

  using Events = std::vector<DeviceEvent>;

  void Recognise(char c, Events& events);
  void RunSteps(char c, Events& events);
  bool IsQuiet() const;
  bool StartOnKeyword(std::size_t field, char c);
  void CollectIfActive(std::size_t field, char c, Events& events);
  void CompleteField(std::size_t field, std::size_t terminator_length, Events& events);
  void CollectBlockChar(char c, Events& events);
  void Deliver(const Events& events);

  DeviceEventSink& sink_;
  State state_;
};

}  // namespace dtu
