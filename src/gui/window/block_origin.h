#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/device/unit_identity.h"

namespace dtu {

// Where the parameters on the editor pages came from: the built-in start-up values, a unit
// (named by its serial numbers when it reported them), a parameter file, a text file or an entry
// of the units' history (the block a unit held or was sent, named by the entry and its unit).
struct BlockOrigin {
  enum class Kind { Defaults, Unit, ParameterFile, TextFile, HistoryEntry };

  Kind kind = Kind::Defaults;
  UnitIdentity unit;       // Kind::Unit, Kind::HistoryEntry
  std::string file;        // the files: the path, UTF-8
  std::int64_t entry = 0;  // Kind::HistoryEntry: the entry's number

  // Whether the pages hold a block of a certain unit: read from it, or from its history.
  bool of_unit() const { return kind == Kind::Unit || kind == Kind::HistoryEntry; }

  bool operator==(const BlockOrigin&) const = default;
};

// "内置默认值", "设备（主板序列号 …，模块序列号 …）", "参数文件 …", "文本文件 …",
// "设备（主板序列号 …，模块序列号 …）的历史记录 N".
std::string DescribeOrigin(const BlockOrigin& origin);

// The source as the window's title names it: "默认参数", "设备 " and the unit's board serial
// number (its module serial number when it reported no board serial, nothing more when it
// reported neither), the file's name without its folder, or "设备 … 的历史记录 N".
std::string ShortOriginName(const BlockOrigin& origin);

// The message for a block that fails its checksum, by where it came from:
// "参数设置有误，请重新设置" on the first line, then whether the unit's block was damaged on the
// way or the file is damaged, and that nothing was loaded.
std::string BlockMismatchMessage(const BlockOrigin& origin);

// What a write to the connected unit should make the user think about before it is confirmed,
// one sentence each: nothing read from any unit since start-up; the connected unit's serial
// numbers unknown (nothing reported since the port was opened) while the pages came from a
// unit or its history (`asked`: not even when asked just now); or the pages came from a unit
// with other serial numbers.
std::vector<std::string> WriteTargetWarnings(const BlockOrigin& origin, bool unit_read_since_start,
                                             const std::optional<UnitIdentity>& connected,
                                             bool asked = false);

}  // namespace dtu
