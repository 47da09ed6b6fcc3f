#include "core/production/row_identity.h"

#include <nettle/base16.h>
#include <nettle/sha2.h>

#include <algorithm>
#include <array>

#include "core/text/csv_writer.h"

namespace dtu {

std::string Fingerprint(std::span<const std::uint8_t> bytes) {
  sha256_ctx context;
  sha256_init(&context);
  sha256_update(&context, bytes.size(), bytes.data());
  std::array<std::uint8_t, SHA256_DIGEST_SIZE> digest{};
  sha256_digest(&context, digest.size(), digest.data());
  std::string hex(BASE16_ENCODE_LENGTH(digest.size()), '0');
  base16_encode_update(hex.data(), digest.size(), digest.data());
  hex.resize(kFingerprintDigits);
  return hex;
}

std::string Fingerprint(std::string_view bytes) {
  return Fingerprint(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::string TableFingerprint(std::string_view csv) {
  return Fingerprint(csv);
}

std::string TemplateFingerprint(const ParameterBlock& block) {
  return Fingerprint(std::span<const std::uint8_t>(block.bytes()));
}

std::string KeyedRowKey(std::string_view gsn) {
  return std::string(kKeyedRowPrefix) + std::string(gsn);
}

std::string FileOrderRowKey(const std::vector<std::string>& assignments, int occurrence) {
  // Sorted, so that the order of the columns does not matter; as one CSV line, so that no two
  // sets of values read the same.
  std::vector<std::string> values = assignments;
  std::ranges::sort(values);
  std::string key = std::string(kFileOrderRowPrefix) + Fingerprint(CsvLine(values));
  // Appended piece by piece: "#" + string makes the optimiser of GCC 12 warn of an overlapping
  // copy (-Wrestrict) that cannot happen.
  if (occurrence > 1) {
    key += '#';
    key += std::to_string(occurrence);
  }
  return key;
}

bool IsKeyedRowKey(std::string_view key) {
  return key.starts_with(kKeyedRowPrefix);
}

}  // namespace dtu
