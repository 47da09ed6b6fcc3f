#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "core/block/parameter_block.h"

namespace dtu {

// What the reply recogniser found in the bytes of a unit, one event per keyword it completed.
// The texts a user sees for an event are made in one place (device_event_text.h).

// The unit's answers that acknowledge something.
enum class Acknowledgement {
  Stored,        // "$$$SETOK": the parameter frame is stored
  Refused,       // "$$$ChkErr\r": the unit refused the frame's checksum
  CodeAccepted,  // "SETACNOK\r\n": a verification code was set
};

// The values a unit reports about itself, each behind its own label.
enum class StatusField {
  Version,       // "VER:"
  ModuleSerial,  // "GSN:"
  BoardSerial,   // "XuLieHao:"
  Signal,        // "RSSI:"
  SimSmsCentre,  // "CSCA:", the SIM card's own SMS centre
};

// The nine fixed rows of the unit's address list, top to bottom.
enum AddressRow : int {
  kDtuIpRow = 0,   // "\r\n    IP:"
  kDnsIp1Row = 1,  // "DNSIP1:" .. "DNSIP6:" are rows 1 to 6
  kDnsIp6Row = 6,
  kDnsServer1Row = 7,  // "DNSSERVERIP1:"
  kDnsServer2Row = 8,  // "DNSSERVERIP2:"
};
inline constexpr int kAddressRowCount = 9;

struct AcknowledgementEvent {
  Acknowledgement acknowledgement;
  bool operator==(const AcknowledgementEvent&) const = default;
};

// A status value as UTF-8 (the unit sends GBK). The signal strength also carries its number,
// read as the C library reads one (leading blanks and a sign allowed, 0 without digits), values
// above 31 included.
struct StatusEvent {
  StatusField field;
  std::string text;
  int signal = 0;  // StatusField::Signal only
  bool operator==(const StatusEvent&) const = default;
};

// Column 1 of an address list row, as UTF-8.
struct AddressEvent {
  int row;  // AddressRow
  std::string text;
  bool operator==(const AddressEvent&) const = default;
};

// The 660 bytes decoded from the 1,320 characters behind "DTUPARA", exactly as received (the
// length word not forced), and whether they hold together: with the length taken as 660, the
// checksum matches.
struct BlockEvent {
  ParameterBlock block;
  bool intact = false;
  bool operator==(const BlockEvent&) const = default;
};

using DeviceEvent = std::variant<AcknowledgementEvent, StatusEvent, AddressEvent, BlockEvent>;

// Where the recogniser hands its events, in the order it completes them.
class DeviceEventSink {
 public:
  virtual ~DeviceEventSink() = default;
  virtual void Recognised(const DeviceEvent& event) = 0;
};

}  // namespace dtu
