// The port list, the port names and the hot-plug monitor on a mocked udev (umockdev): the
// recorded adapters of support/recorded_adapters.h, never this machine's own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>

#include "core/serial/port_hotplug_monitor.h"
#include "core/serial/port_open_message.h"
#include "core/serial/port_reference.h"
#include "core/serial/udev_port_list.h"
#include "support/recorded_adapters.h"
#include "support/umockdev_testbed.h"

namespace dtu {
namespace {

using test::UmockdevTestbed;
using testing::ElementsAre;
using testing::HasSubstr;
namespace adapters = test::adapters;

std::vector<std::string> Labels(const std::vector<SerialPortInfo>& ports) {
  std::vector<std::string> labels;
  for (const SerialPortInfo& port : ports) labels.push_back(PortLabel(port, PortLanguage::Chinese));
  return labels;
}

class UdevPortListTest : public testing::Test {
 protected:
  UdevPortListTest() { testbed_.Add(adapters::Workbench()); }
  UmockdevTestbed testbed_;
};

TEST_F(UdevPortListTest, ListsEachAdapterByMakerProductAndSerial) {
  EXPECT_THAT(Labels(ListSerialPortInfos()),
              ElementsAre("ttyACM0 — LTE Module (Example Modems, MDM0042)", "ttyS0 — 板载串口",
                          "ttyUSB0 — FT232R USB UART (FTDI, A10K3J2L)",
                          "ttyUSB1 — FT232R USB UART (FTDI, A9G5XQ1M)",
                          "ttyUSB2 — USB Serial (QinHeng Electronics)"));
  EXPECT_THAT(Labels(ListSerialPortInfos(true)), testing::Contains("ttyS1 — 板载串口（无硬件）"));
}

TEST_F(UdevPortListTest, KnowsLinksIdsDriversAndKinds) {
  const std::vector<SerialPortInfo> ports = ListSerialPortInfos();
  ASSERT_EQ(ports.size(), 5u);
  struct Expected {
    std::string device;
    PortKind kind;
    std::string driver;
    std::string vendor_id;
    std::string serial;
  };
  const std::vector<Expected> table{
      {"/dev/ttyACM0", PortKind::Modem, "cdc_acm", "1234", "MDM0042"},
      {"/dev/ttyS0", PortKind::BuiltIn, "serial", "", ""},
      {"/dev/ttyUSB0", PortKind::UsbAdapter, "ftdi_sio", "0403", "A10K3J2L"},
      {"/dev/ttyUSB1", PortKind::UsbAdapter, "ftdi_sio", "0403", "A9G5XQ1M"},
      {"/dev/ttyUSB2", PortKind::UsbAdapter, "ch341", "1a86", ""},
  };
  for (std::size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(table[i].device);
    EXPECT_EQ(ports[i].device, table[i].device);
    EXPECT_EQ(ports[i].kind, table[i].kind);
    EXPECT_EQ(ports[i].driver, table[i].driver);
    EXPECT_EQ(ports[i].vendor_id, table[i].vendor_id);
    EXPECT_EQ(ports[i].serial, table[i].serial);
  }
  const SerialPortInfo& ftdi = ports[2];
  EXPECT_THAT(ftdi.by_id, ElementsAre(adapters::kFirstFtdi.by_id()));
  EXPECT_THAT(ftdi.by_path, ElementsAre(adapters::ByPath("1-1")));
  EXPECT_EQ(ftdi.product_database, "FT232 Serial (UART) IC");
  EXPECT_THAT(PortDetails(ftdi), testing::AllOf(HasSubstr("USB ID：0403:6001"),
                                                HasSubstr("by-id：" + adapters::kFirstFtdi.by_id()),
                                                HasSubstr("驱动：ftdi_sio")));
}

TEST_F(UdevPortListTest, PortsAreNamedBySerialLinkOrName) {
  const std::vector<SerialPortInfo> ports = ListSerialPortInfos();
  using Outcome = PortReferenceMatch::Outcome;
  const std::string first_by_id = adapters::kFirstFtdi.by_id();
  struct Case {
    std::string reference;
    Outcome outcome;
    std::string device;
  };
  for (const Case& c : std::vector<Case>{
           {"serial:A9G5XQ1M", Outcome::Found, adapters::kSecondFtdi.by_id()},
           {"serial:NOSUCH", Outcome::NoSuchSerial, "serial:NOSUCH"},
           {"serial:", Outcome::NoSuchSerial, "serial:"},
           {"ttyUSB2", Outcome::Found, "/dev/ttyUSB2"},
           {std::filesystem::path(first_by_id).filename(), Outcome::Found, first_by_id},
           {"pci-0000:00:14.0-usb-0:3:1.0-port0", Outcome::Found, adapters::ByPath("1-3")},
           {first_by_id, Outcome::AsGiven, first_by_id},
           {"ttyUSB9", Outcome::AsGiven, "ttyUSB9"},
       }) {
    SCOPED_TRACE(c.reference);
    const PortReferenceMatch match = ResolvePortReference(c.reference, ports);
    EXPECT_EQ(match.outcome, c.outcome);
    EXPECT_EQ(match.device, c.device);
  }
  // Cheap adapters may all carry one number: which is meant must be said otherwise.
  std::vector<SerialPortInfo> twins = ports;
  twins[3].serial = twins[2].serial;
  const PortReferenceMatch shared = ResolvePortReference("serial:A10K3J2L", twins);
  EXPECT_EQ(shared.outcome, Outcome::SharedSerial);
  EXPECT_THAT(shared.candidates, ElementsAre("/dev/ttyUSB0", "/dev/ttyUSB1"));
  EXPECT_THAT(UnresolvedPortMessage(shared), HasSubstr("/dev/ttyUSB0、/dev/ttyUSB1"));
}

TEST(UdevPortList, ARenumberedAdapterIsFoundByItsLinks) {
  // The first FTDI adapter was ttyUSB0 when it was remembered; this time the second one came
  // first and got ttyUSB0, the first one ttyUSB1.
  SerialPortInfo remembered("/dev/ttyUSB0");
  remembered.by_id = {adapters::kFirstFtdi.by_id()};
  remembered.by_path = {adapters::ByPath("1-1")};
  UmockdevTestbed testbed;
  testbed.Add(adapters::Ftdi("1-2", "ttyUSB0", "A9G5XQ1M").Record() +
              adapters::Ftdi("1-1", "ttyUSB1", "A10K3J2L").Record());
  const std::vector<SerialPortInfo> ports = ListSerialPortInfos();
  const int found = FindSamePort(ports, remembered);
  ASSERT_GE(found, 0);
  EXPECT_EQ(ports[static_cast<std::size_t>(found)].device, "/dev/ttyUSB1");
  // Known by its socket only, it is the adapter in that socket; known by neither, by number.
  remembered.by_id.clear();
  EXPECT_EQ(ports[static_cast<std::size_t>(FindSamePort(ports, remembered))].device,
            "/dev/ttyUSB1");
  remembered.by_path.clear();
  EXPECT_EQ(ports[static_cast<std::size_t>(FindSamePort(ports, remembered))].device,
            "/dev/ttyUSB0");
}

TEST_F(UdevPortListTest, TheMonitorHearsAdaptersPluggedInAndPulledOut) {
  PortHotplugMonitor monitor;
  ASSERT_TRUE(monitor.valid());
  const adapters::UsbAdapter third = adapters::Ftdi("1-5", "ttyUSB3", "B0000001");
  testbed_.Add(third.Record());
  pollfd ready{monitor.fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&ready, 1, 10000), 1);
  std::vector<PortHotplugMonitor::Event> events = monitor.TakeEvents();
  ASSERT_EQ(events.size(), 1u);  // only the terminal: the USB devices are no tty
  EXPECT_EQ(events[0].action, "add");
  EXPECT_EQ(events[0].device, "/dev/ttyUSB3");
  EXPECT_TRUE(monitor.TakeEvents().empty());  // nothing more waits, and nothing blocks

  adapters::Unplug(testbed_, third);
  ASSERT_EQ(::poll(&ready, 1, 10000), 1);
  events = monitor.TakeEvents();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].action, "remove");
  EXPECT_THAT(Labels(ListSerialPortInfos()), testing::Not(testing::Contains(HasSubstr("ttyUSB3"))));
}

}  // namespace
}  // namespace dtu

int main(int argc, char** argv) {
  dtu::test::RestartUnderUmockdev(argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
