// The loaded-block path on arbitrary bytes: 660 of them as a unit or a file might hold them,
// shorter inputs padded with zeros and longer ones cut. Each input runs twice: as it came (most
// fail the checksum) and sealed, so that normalising and the summary see every byte pattern.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/block/parameter_block.h"
#include "fuzz_check.h"
#include "loaded_block_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dtu::ParameterBlock block;
  std::copy_n(data, std::min(size, dtu::kBlockSize), block.bytes().begin());
  dtu::fuzz::CheckLoadedBlockPath(block);

  dtu::SealBlock(block);
  dtu::fuzz::Require(dtu::fuzz::CheckLoadedBlockPath(block), "a sealed block is accepted");
  return 0;
}
