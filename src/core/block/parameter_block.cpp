#include "core/block/parameter_block.h"

#include <algorithm>

#include "core/text/gbk_codec.h"

namespace dtu {

std::uint32_t ParameterBlock::Get(const FieldRow& row) const {
  const auto at = [&](std::size_t i) -> std::uint32_t { return bytes_[row.offset + i]; };
  switch (row.type) {
    case FieldType::U8:
    case FieldType::Flag:
      return at(0);
    case FieldType::U16:
      return at(0) | at(1) << 8;
    case FieldType::U16BE:
      return at(0) << 8 | at(1);
    case FieldType::U32:
      return at(0) | at(1) << 8 | at(2) << 16 | at(3) << 24;
    case FieldType::U32BE:
      return at(0) << 24 | at(1) << 16 | at(2) << 8 | at(3);
    default:
      return 0;  // not a number: read it with Area, GetText or GetCounted
  }
}

void ParameterBlock::Set(const FieldRow& row, std::uint32_t value) {
  const auto put = [&](std::size_t i, std::uint32_t byte) {
    bytes_[row.offset + i] = static_cast<std::uint8_t>(byte);
  };
  switch (row.type) {
    case FieldType::U8:
    case FieldType::Flag:
      put(0, value);
      break;
    case FieldType::U16:
      put(0, value);
      put(1, value >> 8);
      break;
    case FieldType::U16BE:
      put(0, value >> 8);
      put(1, value);
      break;
    case FieldType::U32:
      for (std::size_t i = 0; i < 4; ++i) put(i, value >> (8 * i));
      break;
    case FieldType::U32BE:
      for (std::size_t i = 0; i < 4; ++i) put(i, value >> (24 - 8 * i));
      break;
    default:
      break;  // not a number
  }
}

std::span<const std::uint8_t> ParameterBlock::Area(const FieldRow& row) const {
  return std::span<const std::uint8_t>(bytes_).subspan(row.offset, row.size);
}

std::span<std::uint8_t> ParameterBlock::Area(const FieldRow& row) {
  return std::span<std::uint8_t>(bytes_).subspan(row.offset, row.size);
}

Ipv4Bytes ParameterBlock::GetIPv4(const FieldRow& row) const {
  Ipv4Bytes address{};
  std::ranges::copy(Area(row).first(4), address.begin());
  return address;
}

void ParameterBlock::SetIPv4(const FieldRow& row, const Ipv4Bytes& address) {
  std::ranges::copy(address, Area(row).begin());
}

std::string ParameterBlock::GetText(const FieldRow& row) const {
  const auto area = Area(row);
  const auto end = std::ranges::find(area, std::uint8_t{0});
  return std::string(area.begin(), end);
}

void ParameterBlock::SetText(const FieldRow& row, std::string_view gbk) {
  const std::size_t length = GbkCutPoint(gbk, row.size - 1u);
  auto area = Area(row);
  std::copy_n(gbk.begin(), length, area.begin());
  area[length] = 0;
}

std::vector<std::uint8_t> ParameterBlock::GetCounted(const CountedRow& row) const {
  const auto area = Area(row.area);
  const std::size_t used = std::min<std::size_t>(Get(row.length), area.size());
  return std::vector<std::uint8_t>(area.begin(), area.begin() + static_cast<std::ptrdiff_t>(used));
}

std::string ParameterBlock::GetCountedText(const CountedRow& row) const {
  return GetText(row.area);
}

void ParameterBlock::SetCounted(const CountedRow& row, std::span<const std::uint8_t> content) {
  const std::size_t used = std::min<std::size_t>(content.size(), row.area.size);
  std::copy_n(content.begin(), used, Area(row.area).begin());
  Set(row.length, static_cast<std::uint32_t>(used));
}

std::uint32_t ParameterBlock::device_id() const {
  return Get(field::device_id);
}

void ParameterBlock::set_device_id(std::uint32_t id) {
  Set(field::device_id, id);
}

std::uint16_t BlockChecksum(const ParameterBlock& block) {
  std::uint8_t sum = 0;
  for (std::size_t i = 4; i < kBlockSize; ++i) sum ^= block.bytes()[i];
  return sum;
}

void SealBlock(ParameterBlock& block) {
  block.set_length(static_cast<std::uint16_t>(kBlockSize));
  block.set_checksum(BlockChecksum(block));
}

bool VerifyBlock(const ParameterBlock& block) {
  return block.checksum() == BlockChecksum(block);
}

void NormaliseBlock(ParameterBlock& block) {
  // A text that holds its 0x00 keeps every byte, also those after it; only one that runs to
  // the end of its field is cut there.
  for (const FieldRow& text : kTextFields) {
    const auto area = block.Area(text);
    if (std::ranges::find(area, std::uint8_t{0}) == area.end()) area.back() = 0;
  }
  // A counted area may be used whole (a notice of ten bytes ends in CR LF); only a count that
  // claims more than the area holds is cut.
  for (const CountedRow& counted : kCountedFields) {
    const std::uint32_t limit = counted.area.size;
    if (block.Get(counted.length) > limit) block.Set(counted.length, limit);
  }
}

}  // namespace dtu
