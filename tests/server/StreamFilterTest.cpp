// The driver stream filter drops XML declarations wherever reads split them.
#include "server/DriverStreamFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  const char *name;
  std::vector<std::string> chunks;
  std::string expected;
};

}  // namespace

TEST(DriverStreamFilter, DropsDeclarationsAcrossChunks) {
  const std::vector<Case> cases = {
      {"plain", {"<a x='1'>t</a>"}, "<a x='1'>t</a>"},
      {"declaration first", {"<?xml version='1.0'?>\n<a/>"}, "\n<a/>"},
      {"declaration between elements", {"<a/><?xml version='1.0'?><b/>"}, "<a/><b/>"},
      {"split after <", {"<a/><", "?xml?><b/>"}, "<a/><b/>"},
      {"split inside", {"<?xm", "l version='1.0'?", "><b/>"}, "<b/>"},
      {"question marks inside", {"<?x a='?'?" "?><b/>"}, "<b/>"},
      {"lone < held then released", {"<", "c/>"}, "<c/>"},
      {"two < in a row", {"<<a/>"}, "<<a/>"},
  };
  for (const Case &c : cases) {
    kestor::DriverStreamFilter filter;
    std::string out;
    for (const auto &chunk : c.chunks) out += filter.filter(chunk);
    EXPECT_EQ(out, c.expected) << c.name;
  }
}
