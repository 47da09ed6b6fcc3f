#include "dtusim/block_store.h"

#include <algorithm>
#include <string_view>

#include "core/message_language.h"
#include "dtusim/sim_platform.h"

namespace dtusim {

std::optional<dtu::ParameterBlock> BlockStore::LoadOrCreate(const dtu::ParameterBlock& fresh,
                                                            std::string& error) const {
  const FileContents file = ReadWholeFile(path_);
  if (file.status == FileContents::Status::Missing) {
    if (!Save(fresh, error)) return std::nullopt;
    return fresh;
  }
  if (file.status == FileContents::Status::Failed) {
    error = file.error;
    return std::nullopt;
  }
  if (file.bytes.size() != dtu::kBlockSize) {
    const std::string has = std::to_string(file.bytes.size());
    const std::string block = std::to_string(dtu::kBlockSize);
    error = path_ + dtu::Say("：有 " + has + " 字节，参数块是 " + block + " 字节",
                             ": holds " + has + " bytes, a block has " + block);
    return std::nullopt;
  }
  dtu::ParameterBlock block;
  std::ranges::transform(file.bytes, block.bytes().begin(),
                         [](char c) { return static_cast<std::uint8_t>(c); });
  return block;
}

bool BlockStore::Save(const dtu::ParameterBlock& block, std::string& error) const {
  const auto& bytes = block.bytes();
  error = ReplaceFileAtomically(
      path_, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return error.empty();
}

}  // namespace dtusim
