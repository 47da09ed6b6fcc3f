#include "core/system_error_text.h"

#include <array>
#include <cerrno>
#include <string_view>
#include <system_error>

namespace dtu {
namespace {

struct ErrorText {
  int error;
  std::string_view text;
};

constexpr std::array kErrorTexts = std::to_array<ErrorText>({
    {ENOENT, "没有那个文件或目录"},
    {EACCES, "没有权限"},
    {EPERM, "不允许的操作"},
    {EEXIST, "文件已存在"},
    {EISDIR, "是一个目录"},
    {ENOTDIR, "路径中有一项不是目录"},
    {ENOSPC, "设备上没有空间"},
    {EDQUOT, "超出磁盘配额"},
    {EROFS, "只读文件系统"},
    {EIO, "输入/输出错误"},
    {EBUSY, "设备或资源忙"},
    {ENXIO, "没有那个设备或地址"},
    {ENODEV, "没有那个设备"},
    {ENOTTY, "不是终端设备"},
    {ENAMETOOLONG, "文件名过长"},
    {ELOOP, "符号链接层次过多"},
    {EMFILE, "本程序打开的文件过多"},
    {ENFILE, "系统中打开的文件过多"},
    {EFBIG, "文件过大"},
    {EINVAL, "无效的参数"},
    {EAGAIN, "资源暂时不可用"},
    {EINTR, "被信号中断"},
    {ETXTBSY, "文件正被执行"},
    {EXDEV, "不能跨文件系统链接"},
});

}  // namespace

std::string SystemErrorText(int error) {
  for (const ErrorText& entry : kErrorTexts)
    if (entry.error == error) return std::string(entry.text);
  return "系统错误 " + std::to_string(error) + "：" + std::generic_category().message(error);
}

}  // namespace dtu
