// The records as the application sees them: sizes and a few offsets at run time (the header checks
// every offset at compile time, in C and C++), and the codes the application relies on.
#include <kestor.h>

#include <gtest/gtest.h>

#include <cstddef>

extern "C" int kestor_abi_checked_in_c(void);

TEST(KestorAbi, RecordSizes) {
  EXPECT_EQ(sizeof(kestor_client), 208u);
  EXPECT_EQ(kestor_abi_checked_in_c(), 208);
  EXPECT_EQ(offsetof(kestor_property, items), 1432u);
  EXPECT_EQ(sizeof(kestor_item), 1808u);
  EXPECT_EQ(sizeof(kestor_server_entry), 544u);
  EXPECT_EQ(sizeof(kestor_subprocess_entry), 408u);
  EXPECT_EQ(sizeof(kestor_available_subprocesses), 10 * 408u);
}

TEST(KestorAbi, Codes) {
  EXPECT_EQ(KESTOR_TEXT, 1);
  EXPECT_EQ(KESTOR_NUMBER, 2);
  EXPECT_EQ(KESTOR_SWITCH, 3);
  EXPECT_EQ(KESTOR_LIGHT, 4);
  EXPECT_EQ(KESTOR_BLOB, 5);
  EXPECT_EQ(KESTOR_PERM_RO, 1);
  EXPECT_EQ(KESTOR_RULE_ONE_OF_MANY, 1);
  EXPECT_EQ(KESTOR_STATE_OK, 1);
  EXPECT_EQ(KESTOR_STATE_BUSY, 2);
  EXPECT_EQ(KESTOR_STATE_ALERT, 3);
  EXPECT_EQ(KESTOR_VERSION_2_0, 0x200);
  EXPECT_EQ(KESTOR_ALREADY, 6);
}

TEST(KestorAbi, AllPropertiesNamesNothing) {
  EXPECT_EQ(KESTOR_ALL_PROPERTIES.device[0], '\0');
  EXPECT_EQ(KESTOR_ALL_PROPERTIES.name[0], '\0');
  for (const auto &entry : kestor_available_subprocesses) EXPECT_FALSE(entry.thread_started);
}
