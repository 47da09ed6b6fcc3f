#include "core/serial/port_list.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/serial_test_support.h"

namespace dtu {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A stand-in for /sys/class/tty: each entry a directory, with a bound driver where asked.
class FakeTtyClass {
 public:
  const fs::path& root() const { return dir_.path(); }

  void AddTerminal(const std::string& name) { fs::create_directories(root() / name); }

  void AddPort(const std::string& name) {
    fs::create_directories(root() / name / "device");
    fs::create_directories(drivers() / "serial");
    fs::create_directory_symlink(drivers() / "serial", root() / name / "device" / "driver");
  }

  void AddLegacyPort(const std::string& name, const std::string& type) {
    AddPort(name);
    std::ofstream(root() / name / "type") << type << "\n";
  }

  void AddPortWithVanishedDriver(const std::string& name) {
    fs::create_directories(root() / name / "device");
    fs::create_directory_symlink(drivers() / "gone", root() / name / "device" / "driver");
  }

 private:
  fs::path drivers() const { return root() / ".drivers"; }
  TempDir dir_;
};

TEST(ListSerialPorts, ListsPortsWithADriverInNaturalOrder) {
  FakeTtyClass tty;
  tty.AddPort("ttyUSB10");
  tty.AddPort("ttyUSB2");
  tty.AddPort("ttyUSB0");
  tty.AddPort("ttyACM1");
  tty.AddPort("ttyAMA0");
  tty.AddLegacyPort("ttyS10", "4");
  tty.AddLegacyPort("ttyS2", "4");
  tty.AddLegacyPort("ttyS0", "4");
  tty.AddLegacyPort("ttyS1", "0");  // a slot of the legacy driver without a UART
  tty.AddPort("ttyS3");             // no port type to read
  tty.AddLegacyPort("ttyS4", "none");
  tty.AddTerminal("tty0");  // virtual console: no device
  tty.AddTerminal("ptmx");
  fs::create_directories(tty.root() / "ttyUSB5" / "device");  // device without a driver
  tty.AddPortWithVanishedDriver("ttyUSB6");

  EXPECT_EQ(
      ListSerialPorts(tty.root()),
      (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyAMA0", "/dev/ttyS0", "/dev/ttyS2",
                                "/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10"}));
}

TEST(ListSerialPorts, OrdersByTheNameThenByTheNumber) {
  FakeTtyClass tty;
  for (const char* name : {"ttyUSB100", "ttyUSB9", "ttyUSB010", "ttyUSB", "ttyXRUSB0", "rfcomm1"}) {
    tty.AddPort(name);
  }
  EXPECT_EQ(ListSerialPorts(tty.root()),
            (std::vector<std::string>{"/dev/rfcomm1", "/dev/ttyUSB", "/dev/ttyUSB9",
                                      "/dev/ttyUSB010", "/dev/ttyUSB100", "/dev/ttyXRUSB0"}));
}

TEST(ListSerialPorts, NoTreeMeansNoPorts) {
  TempDir dir;
  EXPECT_TRUE(ListSerialPorts(dir.path() / "missing").empty());
  EXPECT_TRUE(ListSerialPorts(dir.path()).empty());
}

}  // namespace
}  // namespace dtu
