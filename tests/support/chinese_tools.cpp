// Linked into every test that runs the tools: they speak Chinese, whatever the locale of the
// one who runs the tests, so that the messages the tests expect are those they print.
#include <stdlib.h>

#include "support/tool_locale.h"

namespace {

struct ChineseTools {
  ChineseTools() { ::setenv("LC_ALL", dtu::test::kChineseLocale, 1); }
};

const ChineseTools kChineseTools;

}  // namespace
