#pragma once

#include <array>

#include "core/editing/page_table.h"

namespace dtu {

// Control IDs of the SMS page.
namespace sms_id {
constexpr int kMode = 1130;
constexpr int kModeLabel = 1203;
constexpr int kSmsCentre = 1159;
constexpr int kNumbersGroup = 1190;
constexpr std::array<int, 5> kNumber{1156, 1157, 1158, 1160, 1161};
constexpr std::array<int, 5> kNumberLabel{1171, 1173, 1172, 1174, 1175};
constexpr int kAcceptAll = 1188;
constexpr int kCoding = 1149;
constexpr int kCodingLabel = 1204;
constexpr int kSimSmsCentre = 1165;
constexpr int kOutputNumber = 1142;
constexpr int kOutputNumberLabel = 1205;
constexpr int kDualTargetsOnly = 1191;
}  // namespace sms_id

// The SMS page's controls, tooltips and field limits: mode, SMS centre, the five authorised
// numbers, coding, and the two settings it carries hidden (output with number, dual-channel
// targets only).
extern const PageTable kSmsPageTable;

}  // namespace dtu
