// The log hook hears one line a call, at the levels set: kestor_trace_property at level 3, the
// traffic of a change sent at level 2.
#include "RecordingClient.h"

#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

TEST(KestorTrace, OneLineAHookCallAtTheLevelsSet) {
  kestor_sync_executor = nullptr;  // records applied on the reader thread, whatever a test before left
  RecordingClient recorder;
  test_support::ScriptedServer server;
  kestor_server_entry *entry = nullptr;
  ASSERT_EQ(kestor_connect_server("scripted", "127.0.0.1", server.port(), &entry), KESTOR_OK);
  ASSERT_TRUE(server.waitForClient());
  ASSERT_TRUE(
      server.send("<defNumberVector device=\"Traced Scope\" name=\"GEOGRAPHIC_COORD\" perm=\"rw\" state=\"Idle\">"
                  "<defNumber name=\"LAT\" format=\"%g\" min=\"-90\" max=\"90\" step=\"0\">0</defNumber>"
                  "</defNumberVector>\n"));
  ASSERT_FALSE(recorder.waitFor("define", "Traced Scope", "GEOGRAPHIC_COORDINATES").kind.empty());

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
  const auto trace = [&] { EXPECT_EQ(kestor_trace_property(nullptr, p, true, true), KESTOR_OK); };
  const auto sendLatitude = [&] {
    char lat[128] = "LATITUDE";
    char *names[] = {lat};
    double value = 51.5;
    EXPECT_EQ(
        kestor_change_number_property(recorder.client(), "Traced Scope", "GEOGRAPHIC_COORDINATES", 1, names, &value),
        KESTOR_OK);
  };
  const std::string peer = "127.0.0.1:" + std::to_string(server.port());

  struct Row {
    uint32_t level;
    std::function<void()> action;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {KESTOR_LOG_ERROR, trace, {}},
      {KESTOR_LOG_TRACE,
       trace,
       {"Property Scope.MOUNT_EQUATORIAL_COORDINATES type=Number state=Busy count=2 group=\"Main Control\" "
        "label=\"\" perm=rw rule=none version=0",
        "  Item RA label=\"\" value=5.5 target=0 format=\"\" min=0 max=0 step=0",
        "  Item DEC label=\"\" value=-5.39 target=0 format=\"\" min=0 max=0 step=0"}},
      {KESTOR_LOG_INFO, sendLatitude, {}},
      {KESTOR_LOG_DEBUG,
       sendLatitude,
       {"Sending to " + peer + ": <newNumberVector device=\"Traced Scope\" name=\"GEOGRAPHIC_COORD\">",
        "  <oneNumber name=\"LAT\">51.5</oneNumber>", "</newNumberVector>"}},
  };
  for (const Row &row : rows) {
    kestor_set_log_level(row.level);
    const size_t before = recorder.logLines().size();
    row.action();
    const auto all = recorder.logLines();
    EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<ptrdiff_t>(before), all.end()), row.lines)
        << "level " << row.level;
  }
  EXPECT_EQ(kestor_trace_property(nullptr, nullptr, true, true), KESTOR_INVALID);
  kestor_set_log_level(KESTOR_LOG_ERROR);
}
