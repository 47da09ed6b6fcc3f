#pragma once

#include <array>
#include <string>

namespace dtusim {

// What the simulated unit reports about itself in a "$$$AT+GETPARA?" or "$$$AT+GET1?" reply.
// Each value is sent as it stands between its label and its line end, so it holds GBK bytes, as
// every text on the line does.
struct DeviceStatus {
  std::string version = "V3.6.2";
  std::string gsn = "356938035643809";
  std::string board_serial = "DTU2012A0817";
  std::string csca = "+8613800100500";
  std::string rssi = "23";
  std::string ip = "10.20.30.40";
  std::array<std::string, 6> dns{"211.136.17.107", "211.136.20.203", "0.0.0.0",
                                 "0.0.0.0",        "0.0.0.0",        "0.0.0.0"};
  std::array<std::string, 2> dns_server{"211.136.17.107", "211.136.20.203"};
};

}  // namespace dtusim
