#include "core/serial/port_open_message.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "core/serial/port_holder.h"
#include "core/serial/port_reference.h"
#include "core/system_error_text.h"

namespace dtu {
namespace {

// The reasons worded for the user, by errno.
struct Reason {
  int error;
  std::string_view text;
};

constexpr std::array kReasons = std::to_array<Reason>({
    {ENOENT, "没有这个设备（适配器可能已拔出，或路径有误）。"},
    {ENODEV, "设备不存在（适配器可能已拔出）。"},
    {ENXIO, "设备不存在（适配器可能已拔出）。"},
    {ENOTTY, "它不是串口设备。"},
    {EISDIR, "它是一个目录，不是串口设备。"},
});

std::string Reading(std::string_view device) {
  return "无法打开串口 " + std::string(device) + "：";
}

constexpr std::string_view kHiddenHolder = "设备正被其他程序占用，请先关闭那个程序。";

std::string ProcessText(const HoldingProcess& process) {
  return "进程 " + std::to_string(process.pid) + "（" + process.program + "）";
}

std::string HoldersText(const std::vector<HoldingProcess>& holders) {
  std::string text = "串口被";
  for (std::size_t i = 0; i < holders.size(); ++i)
    text += (i == 0 ? "" : "、") + ProcessText(holders[i]);
  return text + "占用";
}

std::string ModemManagerAdvice(const SerialPortInfo& port) {
  const std::string rule = ModemManagerIgnoreRule(port);
  std::string text = "如不希望它探测这个适配器，可添加设置 ID_MM_DEVICE_IGNORE 的 udev 规则";
  if (!rule.empty())
    text += "，例如把下面一行写入 " + std::string(kUdevRulesFolder) +
            "77-dtuconfig-modem-manager-ignore.rules，执行 sudo udevadm control --reload "
            "后重新插入适配器：\n" +
            rule + "\n";
  return text + "示例见 " + std::string(kModemManagerRuleExample) + "。";
}

std::string PermissionAdvice(std::string_view device) {
  std::string text = Reading(device) + "没有权限。\n";
  const std::optional<DeviceGroup> group = DeviceOwnerGroup(std::filesystem::path(device));
  if (group && group->may_read_write) {
    const std::string user = CurrentUserName();
    return text + "设备属于用户组“" + group->name +
           "”。请把当前用户加入该组（例如执行 sudo usermod -aG " + group->name + " " + user +
           "），然后注销并重新登录，再打开串口。";
  }
  if (group)
    return text + "设备属于用户组“" + group->name +
           "”，但该组也不能读写它。请让系统管理员修改设备的权限（例如添加 udev 规则）。";
  return text +
         "请让系统管理员给当前用户读写该设备的权限（通常是加入用户组“dialout”，然后注销并重新登录）"
         "。";
}

}  // namespace

std::optional<DeviceGroup> DeviceOwnerGroup(const std::filesystem::path& device) {
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0) return std::nullopt;
  DeviceGroup group;
  group.may_read_write = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  const struct group* entry = ::getgrgid(info.st_gid);
  group.name = entry != nullptr ? entry->gr_name : std::to_string(info.st_gid);
  return group;
}

std::string CurrentUserName() {
  if (const struct passwd* entry = ::getpwuid(::geteuid())) return entry->pw_name;
  const char* name = std::getenv("USER");
  return name != nullptr ? name : "$USER";
}

std::string BusyPortMessage(std::string_view device, const BusyPort& busy) {
  std::string text = Reading(device);
  if (busy.modem_manager_holds) {
    text += HoldersText(busy.holders) +
            "：系统的调制解调器管理程序正在探测这个新接入的串口（它向新串口发送 AT "
            "命令），片刻后就会释放，请稍后再打开。";
  } else if (!busy.holders.empty()) {
    return text + HoldersText(busy.holders) + "，请先关闭" +
           (busy.holders.size() > 1 ? "这些" : "那个") + "程序。";
  } else {
    text += std::string(kHiddenHolder);
    if (!busy.modem_manager) return text;
    text += "系统的调制解调器管理程序 " + busy.modem_manager->program + "（进程 " +
            std::to_string(busy.modem_manager->pid) +
            "）正在运行：如果适配器刚刚插入，可能是它在探测这个串口（它向新串口发送 AT "
            "命令），片刻后就会释放。";
  }
  return text + ModemManagerAdvice(busy.port);
}

std::string UnresolvedPortMessage(const PortReferenceMatch& match) {
  using Outcome = PortReferenceMatch::Outcome;
  if (match.outcome == Outcome::NoSuchSerial)
    return Reading(match.device) + "没有插入序列号为 " + match.serial +
           " 的串口适配器（串口列表列出插入的适配器及其序列号）。";
  if (match.outcome != Outcome::SharedSerial) return {};
  std::string devices;
  for (const std::string& device : match.candidates)
    devices += (devices.empty() ? "" : "、") + device;
  return Reading(match.device) + "有多个适配器的序列号都是 " + match.serial + "（" + devices +
         "），请在串口列表中选择其中一个。";
}

std::string PortOpenFailureMessage(std::string_view device, int error) {
  if (error == EACCES || error == EPERM) return PermissionAdvice(device);
  if (error == EBUSY) {
    return BusyPortMessage(device, ExplainBusyDevice(std::string(device)));
  }
  for (const Reason& reason : kReasons)
    if (reason.error == error) return Reading(device) + std::string(reason.text);
  return Reading(device) + SystemErrorText(error) + "。";
}

}  // namespace dtu
