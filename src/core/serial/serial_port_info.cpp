#include "core/serial/serial_port_info.h"

#include <algorithm>
#include <array>

namespace dtu {
namespace {

struct KindNames {
  PortKind kind;
  std::string_view chinese;
  std::string_view english;
  std::string_view word;
};

constexpr std::array kKindNames = std::to_array<KindNames>({
    {PortKind::Unknown, "串口", "serial port", "unknown"},
    {PortKind::BuiltIn, "板载串口", "built-in UART", "built-in"},
    {PortKind::UsbAdapter, "USB 串口适配器", "USB-serial adapter", "usb-adapter"},
    {PortKind::Modem, "调制解调器的端口", "modem port", "modem"},
    {PortKind::PseudoTerminal, "伪终端", "pseudo-terminal", "pseudo-terminal"},
});

const KindNames& NamesOf(PortKind kind) {
  for (const KindNames& names : kKindNames)
    if (names.kind == kind) return names;
  return kKindNames.front();
}

std::string UsbIds(const SerialPortInfo& port) {
  if (port.vendor_id.empty()) return {};
  return port.vendor_id + ":" + port.product_id;
}

std::string FirstOf(std::initializer_list<const std::string*> candidates) {
  for (const std::string* text : candidates)
    if (!text->empty()) return *text;
  return {};
}

bool SharesAny(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  return std::ranges::any_of(
      a, [&b](const std::string& link) { return std::ranges::find(b, link) != b.end(); });
}

void AddLine(std::string& text, std::string_view label, const std::string& value) {
  if (value.empty()) return;
  if (!text.empty()) text += '\n';
  text.append(label).append("：").append(value);
}

void AddLines(std::string& text, std::string_view label, const std::vector<std::string>& values) {
  for (const std::string& value : values) AddLine(text, label, value);
}

}  // namespace

std::string SerialPortInfo::name() const {
  constexpr std::string_view kDev = "/dev/";
  return device.starts_with(kDev) ? device.substr(kDev.size()) : device;
}

std::string_view PortKindName(PortKind kind, PortLanguage language) {
  const KindNames& names = NamesOf(kind);
  return language == PortLanguage::Chinese ? names.chinese : names.english;
}

std::string_view PortKindWord(PortKind kind) {
  return NamesOf(kind).word;
}

std::string PortDescription(const SerialPortInfo& port) {
  const std::string usb_ids = UsbIds(port);
  const std::string product = FirstOf({&port.product, &port.product_database, &usb_ids});
  if (product.empty()) return {};
  std::string details = FirstOf({&port.manufacturer, &port.vendor_database});
  if (!port.serial.empty()) details += (details.empty() ? "" : ", ") + port.serial;
  return details.empty() ? product : product + " (" + details + ")";
}

std::string PortSummary(const SerialPortInfo& port, PortLanguage language) {
  std::string summary = PortDescription(port);
  if (summary.empty() && port.kind != PortKind::Unknown)
    summary = PortKindName(port.kind, language);
  if (!port.present)
    summary += language == PortLanguage::Chinese ? "（无硬件）" : " (no hardware behind it)";
  return summary;
}

std::string PortLabel(const SerialPortInfo& port, PortLanguage language) {
  const std::string summary = PortSummary(port, language);
  return summary.empty() ? port.device : port.name() + std::string(kPortLabelDash) + summary;
}

std::string PortDetails(const SerialPortInfo& port) {
  std::string text;
  AddLine(text, "设备", port.device);
  AddLine(text, "类型", std::string(PortKindName(port.kind, PortLanguage::Chinese)));
  AddLine(text, "产品", port.product);
  AddLine(text, "厂商", port.manufacturer);
  AddLine(text, "产品（硬件数据库）", port.product_database);
  AddLine(text, "厂商（硬件数据库）", port.vendor_database);
  AddLine(text, "USB ID", UsbIds(port));
  AddLine(text, "序列号", port.serial);
  AddLine(text, "驱动", port.driver);
  AddLines(text, "by-id", port.by_id);
  AddLines(text, "by-path", port.by_path);
  if (!port.present) AddLine(text, "状态", std::string("未检测到硬件"));
  return text;
}

int FindSamePort(const std::vector<SerialPortInfo>& ports, const SerialPortInfo& remembered) {
  using Same = bool (*)(const SerialPortInfo&, const SerialPortInfo&);
  constexpr std::array<Same, 3> kTests{
      [](const SerialPortInfo& a, const SerialPortInfo& b) { return SharesAny(a.by_id, b.by_id); },
      [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return SharesAny(a.by_path, b.by_path);
      },
      [](const SerialPortInfo& a, const SerialPortInfo& b) {
        // The number alone says little once the port was known by its links.
        return b.by_id.empty() && b.by_path.empty() && !b.device.empty() && a.device == b.device;
      },
  };
  for (const Same same : kTests)
    for (std::size_t i = 0; i < ports.size(); ++i)
      if (same(ports[i], remembered)) return static_cast<int>(i);
  return -1;
}

}  // namespace dtu
