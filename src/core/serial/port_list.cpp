#include "core/serial/port_list.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <system_error>

namespace dtu {
namespace {

namespace fs = std::filesystem;

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Where the trailing run of digits of `name` starts (name.size() when there is none).
std::size_t TrailingDigitsStart(std::string_view name) {
  std::size_t start = name.size();
  while (start > 0 && IsDigit(name[start - 1])) --start;
  return start;
}

// Compares two runs of decimal digits by value, whatever their length.
int CompareNumbers(std::string_view a, std::string_view b) {
  const auto significant = [](std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
  };
  a = significant(a);
  b = significant(b);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace

bool IsLegacy8250Name(std::string_view name) {
  return name.size() > 4 && name.substr(0, 4) == "ttyS" && TrailingDigitsStart(name) == 4;
}

bool ReportsUart(std::string_view type) {
  int number = 0;
  const auto [end, status] = std::from_chars(type.data(), type.data() + type.size(), number);
  return status == std::errc() && end != type.data() && number != 0;
}

bool NaturalPortOrder(std::string_view a, std::string_view b) {
  const std::size_t a_split = TrailingDigitsStart(a);
  const std::size_t b_split = TrailingDigitsStart(b);
  if (const int prefix = a.substr(0, a_split).compare(b.substr(0, b_split)); prefix != 0) {
    return prefix < 0;
  }
  if (const int number = CompareNumbers(a.substr(a_split), b.substr(b_split)); number != 0) {
    return number < 0;
  }
  return a < b;
}

namespace {

bool HasBoundDriver(const fs::path& entry) {
  std::error_code error;
  return fs::exists(entry / "device" / "driver", error);
}

bool ReportsUartPresent(const fs::path& entry) {
  std::ifstream type_file(entry / "type");
  std::string type;
  return static_cast<bool>(type_file >> type) && ReportsUart(type);
}

bool IsSerialPort(const fs::path& entry, std::string_view name) {
  if (!HasBoundDriver(entry)) return false;
  return !IsLegacy8250Name(name) || ReportsUartPresent(entry);
}

}  // namespace

std::vector<std::string> ListSerialPorts(const fs::path& sysfs_tty_root) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(sysfs_tty_root, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (IsSerialPort(it->path(), name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), NaturalPortOrder);
  for (std::string& name : names) name.insert(0, "/dev/");
  return names;
}

int PortNumberFromName(std::string_view device) {
  const std::string_view digits = device.substr(TrailingDigitsStart(device));
  int number = 0;
  const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (status != std::errc() || end != digits.data() + digits.size()) return 0;
  return number;
}

}  // namespace dtu
