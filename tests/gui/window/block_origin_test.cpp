#include "gui/window/block_origin.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace dtu {
namespace {

TEST(BlockOrigin, WriteWarningsNameWhatIsUnsure) {
  const UnitIdentity a{"A-1", "M-1"};
  const BlockOrigin from_a{BlockOrigin::Kind::Unit, a, {}};
  const BlockOrigin from_file{BlockOrigin::Kind::ParameterFile, {}, "/tmp/x.bpp"};
  EXPECT_TRUE(WriteTargetWarnings(from_a, true, a).empty());
  EXPECT_TRUE(WriteTargetWarnings(from_file, true, std::nullopt).empty());
  EXPECT_EQ(WriteTargetWarnings(from_file, false, a).size(), 1u);
  ASSERT_EQ(WriteTargetWarnings(from_a, true, UnitIdentity{"B-2", "M-2"}).size(), 1u);
  EXPECT_EQ(WriteTargetWarnings(from_a, true, UnitIdentity{"B-2", "M-2"})[0],
            "注意：所连设备是设备（主板序列号 B-2，模块序列号 M-2），而页面上的参数来自另一台"
            "设备（主板序列号 A-1，模块序列号 M-1）。");
  EXPECT_EQ(WriteTargetWarnings(from_a, true, std::nullopt).size(), 1u);
  EXPECT_EQ(DescribeOrigin(from_file), "参数文件 /tmp/x.bpp");
  // An entry of a unit's history is that unit's block.
  const BlockOrigin from_history{BlockOrigin::Kind::HistoryEntry, a, {}, 7};
  EXPECT_TRUE(WriteTargetWarnings(from_history, true, a).empty());
  EXPECT_EQ(WriteTargetWarnings(from_history, true, UnitIdentity{"B-2", "M-2"}).size(), 1u);
  EXPECT_EQ(DescribeOrigin(from_history), "设备（主板序列号 A-1，模块序列号 M-1）的历史记录 7");
}

TEST(BlockOrigin, ShortNamesForTheTitle) {
  using Kind = BlockOrigin::Kind;
  const std::pair<BlockOrigin, std::string> cases[] = {
      {{Kind::Defaults, {}, {}}, "默认参数"},
      {{Kind::Unit, {"A-1", "M-1"}, {}}, "设备 A-1"},
      {{Kind::Unit, {"", "M-1"}, {}}, "设备 M-1"},
      {{Kind::Unit, {}, {}}, "设备"},
      {{Kind::ParameterFile, {}, "/tmp/站点/x.bpp"}, "x.bpp"},
      {{Kind::TextFile, {}, "y.json"}, "y.json"},
      {{Kind::HistoryEntry, {"A-1", "M-1"}, {}, 12}, "设备 A-1 的历史记录 12"},
  };
  for (const auto& [origin, name] : cases) EXPECT_EQ(ShortOriginName(origin), name);
}

}  // namespace
}  // namespace dtu
