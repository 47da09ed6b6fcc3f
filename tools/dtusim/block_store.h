#pragma once

#include <optional>
#include <string>

#include "core/block/parameter_block.h"

namespace dtusim {

// The simulated unit's memory: the state file that holds its 660-byte block across runs.
class BlockStore {
 public:
  explicit BlockStore(std::string path) : path_(std::move(path)) {}

  // The block in the file. A missing file is created with `fresh` first. A file of another size
  // is not touched: it is reported, as it may be something else entirely.
  std::optional<dtu::ParameterBlock> LoadOrCreate(const dtu::ParameterBlock& fresh,
                                                  std::string& error) const;

  // Replaces the file's contents atomically; false (and the reason) when it fails.
  bool Save(const dtu::ParameterBlock& block, std::string& error) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace dtusim
