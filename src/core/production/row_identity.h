#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"

namespace dtu {

// What ties a unit to its row of the units' table from run to run, and what a run records of
// the table and the template it worked from (the log's last three columns).
//
// A row's key: "gsn:" and the module serial for a row tied to one unit by the `gsn` column;
// "row:" and the fingerprint of the row's values for a row handed out in file order, so that a
// row inserted, moved or removed elsewhere in the table leaves every other row's key as it was.
// Rows with the same values are told apart by their count among them: "row:...#2" is the second.
//
// A fingerprint is the first kFingerprintDigits hex digits (lower case) of the SHA-256 of the
// bytes: the table's is that of the file as read, so `sha256sum units.csv` begins with it; the
// template's is that of its 660 bytes.

inline constexpr std::size_t kFingerprintDigits = 16;
inline constexpr std::string_view kKeyedRowPrefix = "gsn:";
inline constexpr std::string_view kFileOrderRowPrefix = "row:";

std::string Fingerprint(std::span<const std::uint8_t> bytes);
std::string Fingerprint(std::string_view bytes);

// The fingerprint of a units' table, as read from its file.
std::string TableFingerprint(std::string_view csv);
// The fingerprint of a template's block.
std::string TemplateFingerprint(const ParameterBlock& block);

// The key of the row tied to the unit with module serial `gsn`.
std::string KeyedRowKey(std::string_view gsn);
// The key of a row in file order with these values ("NAME=VALUE", in any order); `occurrence`
// counts from 1 among the rows with the same values.
std::string FileOrderRowKey(const std::vector<std::string>& assignments, int occurrence);

// True for a key made by KeyedRowKey.
bool IsKeyedRowKey(std::string_view key);

}  // namespace dtu
