// Who holds a busy port: a real process holding a real pseudo-terminal, and the modem manager in
// a stand-in process table.
#include "core/serial/port_holder.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/file.h>

#include <cerrno>
#include <fstream>

#include "core/serial/port_open_message.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;
using test::Fd;
using test::TempDir;
using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

struct Terminal {
  Terminal() {
    int master_fd = -1, slave_fd = -1;
    std::array<char, 64> name{};
    if (::openpty(&master_fd, &slave_fd, name.data(), nullptr, nullptr) != 0) throw errno;
    master = std::make_unique<Fd>(master_fd);
    slave = std::make_unique<Fd>(slave_fd);
    path = name.data();
  }
  std::unique_ptr<Fd> master, slave;
  std::string path;
};

TEST(PortHolder, TheProcessThatHoldsThePortIsNamed) {
  Terminal terminal;
  const ChildProcess holder({"/bin/sleep", "60"}, terminal.slave->get(), terminal.slave->get());
  terminal.slave->Close();
  const std::vector<HoldingProcess> holders = FindPortHolders(terminal.path);
  ASSERT_EQ(holders.size(), 1u);
  EXPECT_EQ(holders[0].program, "sleep");
  const std::string text = PortOpenFailureMessage(terminal.path, EBUSY);
  EXPECT_EQ(text, "无法打开串口 " + terminal.path + "：串口被进程 " +
                      std::to_string(holders[0].pid) + "（sleep）占用，请先关闭那个程序。");
  EXPECT_THAT(FindPortHolders("/dev/null-no-such-port"), testing::IsEmpty());
}

// The simulated unit keeps its own terminal open, as may a shell; the one that holds the lock is
// the one that keeps the port busy, also when it got the lock from its parent.
TEST(PortHolder, TheLocksHolderIsNamedNotTheOthersThatHaveThePortOpen) {
  Terminal terminal;
  const ChildProcess opener({"/bin/sleep", "60"}, terminal.slave->get(), terminal.slave->get());
  Fd locked(::open(terminal.path.c_str(), O_RDWR | O_NOCTTY));
  ASSERT_EQ(::flock(locked.get(), LOCK_EX | LOCK_NB), 0);
  const ChildProcess locker({"/bin/sleep", "60"}, locked.get(), locked.get());
  locked.Close();
  const BusyPort busy = ExplainBusyPort(terminal.path, SerialPortInfo(terminal.path));
  ASSERT_EQ(busy.holders.size(), 1u);
  EXPECT_EQ(busy.holders[0].pid, locker.pid());
  EXPECT_EQ(BusyPortMessage(terminal.path, busy),
            "无法打开串口 " + terminal.path + "：串口被进程 " + std::to_string(locker.pid()) +
                "（sleep）占用，请先关闭那个程序。");
}

// A stand-in for /proc: processes with their program's name and the files they have open.
class FakeProcesses {
 public:
  void Add(int pid, const std::string& program, const std::vector<std::string>& open_files) {
    const fs::path process = dir_ / std::to_string(pid);
    fs::create_directories(process / "fd");
    std::ofstream(process / "comm") << program << "\n";
    for (std::size_t i = 0; i < open_files.size(); ++i)
      fs::create_symlink(open_files[i], process / "fd" / std::to_string(i));
  }
  fs::path root() const { return dir_.path(); }

 private:
  TempDir dir_;
};

SerialPortInfo Adapter() {
  SerialPortInfo port("/dev/ttyUSB7");
  port.kind = PortKind::UsbAdapter;
  port.vendor_id = "0403";
  port.product_id = "6001";
  port.serial = "A10K3J2L";
  return port;
}

TEST(PortHolder, TheModemManagerProbingANewPortIsExplained) {
  FakeProcesses processes;
  processes.Add(812, "ModemManager", {"/dev/ttyUSB7"});
  processes.Add(900, "bash", {"/dev/pts/1"});
  const BusyPort busy = ExplainBusyPort("/dev/ttyUSB7", Adapter(), processes.root());
  EXPECT_TRUE(busy.modem_manager_holds);
  const std::string text = BusyPortMessage("/dev/ttyUSB7", busy);
  EXPECT_THAT(text, AllOf(HasSubstr("串口被进程 812（ModemManager）占用"), HasSubstr("探测"),
                          HasSubstr("SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"0403\", "
                                    "ATTRS{idProduct}==\"6001\", ATTRS{serial}==\"A10K3J2L\", "
                                    "ENV{ID_MM_DEVICE_IGNORE}=\"1\""),
                          HasSubstr(std::string(kModemManagerRuleExample))));
}

// The modem manager runs as another user: its open files are hidden, but that it runs is not.
TEST(PortHolder, AHiddenHolderMayBeTheModemManager) {
  FakeProcesses processes;
  processes.Add(812, "ModemManager", {});
  SerialPortInfo port = Adapter();
  EXPECT_THAT(
      BusyPortMessage(port.device, ExplainBusyPort(port.device, port, processes.root())),
      AllOf(HasSubstr("设备正被其他程序占用"), HasSubstr("ModemManager（进程 812）正在运行"),
            HasSubstr("ID_MM_DEVICE_IGNORE")));
  // Told to leave the adapter alone, or with no modem manager at all, it is not mentioned.
  port.ignored_by_modem_manager = true;
  EXPECT_THAT(BusyPortMessage(port.device, ExplainBusyPort(port.device, port, processes.root())),
              Not(HasSubstr("ModemManager")));
  const FakeProcesses none;
  EXPECT_EQ(BusyPortMessage(port.device, ExplainBusyPort(port.device, Adapter(), none.root())),
            "无法打开串口 /dev/ttyUSB7：设备正被其他程序占用，请先关闭那个程序。");
}

}  // namespace
}  // namespace dtu
