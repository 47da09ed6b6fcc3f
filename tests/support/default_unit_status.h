#pragma once

#include <string_view>

namespace dtu::test {

// The default simulated unit's labelled values, exactly as it sends them ahead of "DTUPARA" and
// as the tool's recogniser expects them.
inline constexpr std::string_view kDefaultUnitStatus =
    "\r\n    IP:10.20.30.40\r\n"
    "DNSIP1:211.136.17.107\r\nDNSIP2:211.136.20.203\r\nDNSIP3:0.0.0.0\r\nDNSIP4:0.0.0.0\r\n"
    "DNSIP5:0.0.0.0\r\nDNSIP6:0.0.0.0\r\n"
    "DNSSERVERIP1:211.136.17.107\r\nDNSSERVERIP2:211.136.20.203\r\n"
    "XuLieHao:DTU2012A0817\r\nGSN:356938035643809\r\n"
    "VER:V3.6.2\rCSCA:+8613800100500\rRSSI:23\r";

}  // namespace dtu::test
