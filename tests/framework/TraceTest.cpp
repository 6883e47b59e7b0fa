// kestor_trace_property writes a record to the log at level 3.
#include "RecordingClient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(KestorTrace, WritesThePropertyAndItsItemsAtLevelThree) {
  RecordingClient recorder;
  std::vector<unsigned char> memory(offsetof(kestor_property, items) + 2 * sizeof(kestor_item));
  auto *p = reinterpret_cast<kestor_property *>(memory.data());
  std::strcpy(p->device, "Scope");
  std::strcpy(p->name, "MOUNT_EQUATORIAL_COORDINATES");
  std::strcpy(p->group, "Main Control");
  p->type = KESTOR_NUMBER;
  p->state = KESTOR_STATE_BUSY;
  p->perm = KESTOR_PERM_RW;
  p->count = 2;
  std::strcpy(p->items[0].name, "RA");
  p->items[0].number_value = 5.5;
  std::strcpy(p->items[1].name, "DEC");
  p->items[1].number_value = -5.39;

  kestor_set_log_level(KESTOR_LOG_ERROR);
  const size_t before = recorder.logLines().size();
  kestor_trace_property(nullptr, p, true, true);  // below the level: nothing
  kestor_set_log_level(KESTOR_LOG_TRACE);
  EXPECT_EQ(kestor_trace_property(nullptr, p, true, true), KESTOR_OK);
  EXPECT_EQ(kestor_trace_property(nullptr, nullptr, true, true), KESTOR_INVALID);
  const auto all = recorder.logLines();
  const std::vector<std::string> lines(all.begin() + static_cast<ptrdiff_t>(before), all.end());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "Property Scope.MOUNT_EQUATORIAL_COORDINATES type=Number state=Busy count=2 group=\"Main Control\" "
            "label=\"\" perm=rw rule=none version=0");
  EXPECT_EQ(lines[1].rfind("  Item RA label=\"\" value=5.5 target=0", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("  Item DEC label=\"\" value=-5.39", 0), 0u) << lines[2];
}
