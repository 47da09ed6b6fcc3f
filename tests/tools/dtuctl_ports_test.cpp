// dtuctl ports and --port's names on a mocked udev (umockdev): dtuctl runs as a process in the
// testbed, seeing the recorded adapters of support/recorded_adapters.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <nlohmann/json.hpp>

#include "support/dtuctl_run.h"
#include "support/recorded_adapters.h"
#include "support/tool_locale.h"
#include "support/umockdev_testbed.h"

namespace dtu::test {
namespace {

using testing::HasSubstr;
namespace exit = dtuctl_exit;

class DtuctlPortsTest : public testing::Test {
 protected:
  DtuctlPortsTest() { testbed_.Add(adapters::Workbench()); }

  // What dtuctl wrote to the mocked terminal `device`.
  std::string SentTo(const std::string& device) {
    const int master = testbed_.MasterOf(device);
    std::string sent;
    std::array<char, 256> buffer{};
    pollfd ready{master, POLLIN, 0};
    while (::poll(&ready, 1, 0) == 1) {
      const ssize_t n = ::read(master, buffer.data(), buffer.size());
      if (n <= 0) break;
      sent.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return sent;
  }

  UmockdevTestbed testbed_;
};

TEST_F(DtuctlPortsTest, OneLineAPortWithWhatIsBehindItInTheRunsLanguage) {
  EXPECT_THAT(Dtuctl({"ports", "--all"}).out,
              HasSubstr("/dev/ttyS0 — 板载串口\n/dev/ttyS1 — 板载串口（无硬件）\n"));
  const test::ToolLocale english("C");
  const ProcessResult listed = Dtuctl({"ports"});
  EXPECT_EQ(listed.exit_status, exit::kOk) << listed.err;
  EXPECT_EQ(listed.out,
            "/dev/ttyACM0 — LTE Module (Example Modems, MDM0042)\n"
            "/dev/ttyS0 — built-in UART\n"
            "/dev/ttyUSB0 — FT232R USB UART (FTDI, A10K3J2L)\n"
            "/dev/ttyUSB1 — FT232R USB UART (FTDI, A9G5XQ1M)\n"
            "/dev/ttyUSB2 — USB Serial (QinHeng Electronics)\n");
  EXPECT_THAT(Dtuctl({"ports", "--all"}).out,
              HasSubstr("/dev/ttyS1 — built-in UART (no hardware behind it)\n"));
}

TEST_F(DtuctlPortsTest, JsonHasEveryDetail) {
  const ProcessResult listed = Dtuctl({"ports", "--json"});
  ASSERT_EQ(listed.exit_status, exit::kOk) << listed.err;
  const nlohmann::json ports = nlohmann::json::parse(listed.out);
  ASSERT_EQ(ports.size(), 5u);
  const nlohmann::json& ftdi = ports[2];
  EXPECT_EQ(ftdi["device"], "/dev/ttyUSB0");
  EXPECT_EQ(ftdi["kind"], "usb-adapter");
  EXPECT_EQ(ftdi["by_id"], nlohmann::json::array({adapters::kFirstFtdi.by_id()}));
  EXPECT_EQ(ftdi["by_path"], nlohmann::json::array({adapters::ByPath("1-1")}));
  EXPECT_EQ(ftdi["vendor_id"], "0403");
  EXPECT_EQ(ftdi["product"], "FT232R USB UART");
  EXPECT_EQ(ftdi["serial"], "A10K3J2L");
  EXPECT_EQ(ftdi["driver"], "ftdi_sio");
  EXPECT_EQ(ports[0]["kind"], "modem");
  EXPECT_EQ(ports[1]["kind"], "built-in");
  EXPECT_TRUE(ports[4]["serial"].is_null());  // the CH340 has none
}

// The command reaches the adapter named, whatever its number.
TEST_F(DtuctlPortsTest, PortsNamedBySerialNumberLinkOrName) {
  struct Case {
    std::string port;
    std::string device;
  };
  for (const Case& c : std::vector<Case>{
           {"serial:A9G5XQ1M", "/dev/ttyUSB1"},
           {"ttyUSB2", "/dev/ttyUSB2"},
           {"pci-0000:00:14.0-usb-0:1:1.0-port0", "/dev/ttyUSB0"},
           {adapters::kSecondFtdi.by_id(), "/dev/ttyUSB1"},
       }) {
    SCOPED_TRACE(c.port);
    const ProcessResult asked = Dtuctl({"signal", "--port", c.port, "--timeout", "0.2"});
    EXPECT_EQ(asked.exit_status, exit::kTimeout) << asked.err;  // nobody answers there
    EXPECT_THAT(SentTo(c.device), HasSubstr("AT+GET1?"));
  }
  const ProcessResult missing = Dtuctl({"signal", "--port", "serial:NOSUCH"});
  EXPECT_EQ(missing.exit_status, exit::kPortMissing);
  EXPECT_THAT(missing.err, HasSubstr("没有插上序列号为 NOSUCH 的适配器"));
}

}  // namespace
}  // namespace dtu::test

int main(int argc, char** argv) {
  dtu::test::RestartUnderUmockdev(argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
