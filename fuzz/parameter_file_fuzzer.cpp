// Opening arbitrary files as parameter files: the input is written to a file, read with
// ReadParameterFile and, when that succeeds, taken through the loaded-block path. Saving the
// block again and reading it back must give the same bytes.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "core/block/parameter_file.h"
#include "fuzz_check.h"
#include "loaded_block_checks.h"

namespace {

using dtu::fuzz::Require;
namespace fs = std::filesystem;

// One directory per fuzzing process, removed when the process ends normally.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (fs::temp_directory_path() / "dtu-file-fuzz-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr, "a scratch directory can be made");
    path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

const fs::path& Scratch() {
  static const ScratchDirectory directory;
  return directory.path();
}

void WriteInput(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  Require(out.good(), "the input file can be written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path opened = Scratch() / "opened.MTS";
  WriteInput(opened, data, size);

  // What the window holds before the open: a block the file must replace entirely or not at all.
  dtu::ParameterBlock block;
  block.bytes().fill(0xA5);
  const dtu::ParameterBlock before = block;

  const dtu::FileResult result = dtu::ReadParameterFile(opened, block);
  const std::string_view head(reinterpret_cast<const char*>(data), std::min(size, dtu::kBlockSize));
  const bool other_kind = dtu::SniffFileKind(head) != dtu::FileKind::ParameterFile;
  if (size < dtu::kBlockSize || (other_kind && !result.ok())) {
    const dtu::FileStatus expected =
        other_kind ? dtu::FileStatus::WrongKind : dtu::FileStatus::TooShort;
    Require(result.status == expected && !result.message.empty(),
            "a short file or one of another kind is refused with a message");
    Require(block == before, "a refused file leaves the block as it was");
    return 0;
  }
  Require(result.ok() && result.message.empty(),
          "a file of 660 bytes or more is read, unless it is of another kind");
  Require(std::equal(block.bytes().begin(), block.bytes().end(), data),
          "the block is the file's first 660 bytes");

  dtu::fuzz::CheckLoadedBlockPath(block);

  const fs::path saved = Scratch() / "saved.bpp";
  std::error_code ignored;
  fs::remove(saved, ignored);
  Require(dtu::WriteParameterFile(saved, block).ok(), "a block can be saved");
  dtu::ParameterBlock reread;
  Require(dtu::ReadParameterFile(saved, reread).ok() && reread == block,
          "a saved block reads back unchanged");
  return 0;
}
