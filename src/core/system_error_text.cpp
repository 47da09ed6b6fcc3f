#include "core/system_error_text.h"

#include <array>
#include <cerrno>
#include <string_view>
#include <system_error>

#include "core/message_language.h"

namespace dtu {
namespace {

struct ErrorText {
  int error;
  std::string_view chinese;
  std::string_view english;
};

constexpr std::array kErrorTexts = std::to_array<ErrorText>({
    {ENOENT, "没有那个文件或目录", "No such file or directory"},
    {EACCES, "没有权限", "Permission denied"},
    {EPERM, "不允许的操作", "Operation not permitted"},
    {EEXIST, "文件已存在", "File exists"},
    {EISDIR, "是一个目录", "Is a directory"},
    {ENOTDIR, "路径中有一项不是目录", "Not a directory"},
    {ENOSPC, "设备上没有空间", "No space left on device"},
    {EDQUOT, "超出磁盘配额", "Disk quota exceeded"},
    {EROFS, "只读文件系统", "Read-only file system"},
    {EIO, "输入/输出错误", "Input/output error"},
    {EBUSY, "设备或资源忙", "Device or resource busy"},
    {ENXIO, "没有那个设备或地址", "No such device or address"},
    {ENODEV, "没有那个设备", "No such device"},
    {ENOTTY, "不是终端设备", "Inappropriate ioctl for device"},
    {ENAMETOOLONG, "文件名过长", "File name too long"},
    {ELOOP, "符号链接层次过多", "Too many levels of symbolic links"},
    {EMFILE, "本程序打开的文件过多", "Too many open files"},
    {ENFILE, "系统中打开的文件过多", "Too many open files in system"},
    {EFBIG, "文件过大", "File too large"},
    {EINVAL, "无效的参数", "Invalid argument"},
    {EAGAIN, "资源暂时不可用", "Resource temporarily unavailable"},
    {EINTR, "被信号中断", "Interrupted system call"},
    {ETXTBSY, "文件正被执行", "Text file busy"},
    {EXDEV, "不能跨文件系统链接", "Invalid cross-device link"},
});

}  // namespace

std::string SystemErrorText(int error) {
  for (const ErrorText& entry : kErrorTexts)
    if (entry.error == error) return Say(std::string(entry.chinese), std::string(entry.english));
  const std::string number = std::to_string(error);
  const std::string words = std::generic_category().message(error);
  return Say("系统错误 " + number + "：" + words, "system error " + number + ": " + words);
}

}  // namespace dtu
