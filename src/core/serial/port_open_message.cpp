#include "core/serial/port_open_message.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

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
    {EBUSY, "设备正被其他程序占用，请先关闭那个程序。"},
    {ENOTTY, "它不是串口设备。"},
    {EISDIR, "它是一个目录，不是串口设备。"},
});

std::string Reading(std::string_view device) {
  return "无法打开串口 " + std::string(device) + "：";
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

std::string PortOpenFailureMessage(std::string_view device, int error) {
  if (error == EACCES || error == EPERM) return PermissionAdvice(device);
  for (const Reason& reason : kReasons)
    if (reason.error == error) return Reading(device) + std::string(reason.text);
  return Reading(device) + SystemErrorText(error) + "。";
}

}  // namespace dtu
