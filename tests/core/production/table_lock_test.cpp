// The lock beside the units' table on a real file system: a second run on the table is refused
// with the holder named, whatever path names the table; a lock a killed run left blocks no one.
#include "core/production/table_lock.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace dtu {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

TEST(TableLock, RefusesASecondRunOnTheTableAndNamesTheFirst) {
  test::TempDir dir;
  test::WriteAllBytes(dir / "units.csv", std::string("device_number\n1\n"));
  fs::create_directory(dir / "sub");
  fs::create_symlink(dir / "units.csv", dir / "sub" / "link.csv");
  std::string error;
  {
    const auto held = TableLock::Acquire(dir / "units.csv", dir / "A.csv", error);
    ASSERT_TRUE(held) << error;
    EXPECT_EQ(held->path(), fs::canonical(dir.path()) / "units.csv.lock");
    // By another name, with another log: the same table.
    for (const fs::path& name :
         {dir / "units.csv", dir / "sub" / "link.csv", dir / "sub" / ".." / "units.csv"}) {
      EXPECT_FALSE(TableLock::Acquire(name, dir / "B.csv", error)) << name;
      EXPECT_THAT(error, HasSubstr("另一个 provision 正在使用这个单元表"));
      EXPECT_THAT(error, HasSubstr("进程 " + std::to_string(::getpid())));
      EXPECT_THAT(error, HasSubstr("A.csv"));
    }
  }
  EXPECT_FALSE(fs::exists(dir / "units.csv.lock")) << "removed at the end of the run";

  // What a killed run leaves: the file, with its holder, but no lock on it.
  test::WriteAllBytes(dir / "units.csv.lock", std::string("pid=99999\nhost=x\nlog=/old.csv\n"));
  const auto after_kill = TableLock::Acquire(dir / "units.csv", dir / "C.csv", error);
  ASSERT_TRUE(after_kill) << error;
  const auto bytes = test::ReadAllBytes(dir / "units.csv.lock");
  EXPECT_THAT(std::string(bytes.begin(), bytes.end()), HasSubstr("C.csv"));

  // A table where no lock can be made beside it (root may write anywhere).
  test::WriteAllBytes(dir / "sub" / "other.csv", std::string("x"));
  fs::permissions(dir / "sub", fs::perms::owner_read | fs::perms::owner_exec);
  if (::access((dir / "sub").c_str(), W_OK) != 0) {
    EXPECT_FALSE(TableLock::Acquire(dir / "sub" / "other.csv", dir / "D.csv", error));
    EXPECT_THAT(error, HasSubstr("不能建立单元表的锁文件"));
  }
  fs::permissions(dir / "sub", fs::perms::owner_all);
}

}  // namespace
}  // namespace dtu
