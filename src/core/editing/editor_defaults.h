#pragma once

#include <string_view>

namespace dtu {

// The values this tool puts into the editor before any block is loaded, where the unit itself
// prescribes none. Kept in one place so that pages and start-up agree.

// The centre address every centre row starts with: an address reserved for documentation, so
// that a unit configured without changing it never reaches a real host.
inline constexpr std::string_view kDefaultCentreAddress = "192.0.2.10";

// The two sample authorised mobile numbers of the SMS page.
inline constexpr std::string_view kSampleMobileNumber1 = "13800000001";
inline constexpr std::string_view kSampleMobileNumber2 = "13800000002";

}  // namespace dtu
