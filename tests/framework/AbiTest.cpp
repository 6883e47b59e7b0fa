// The records' sizes as the application sees them, in C++ and in C (AbiCheck.c); the header checks
// every offset at compile time.
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
  EXPECT_EQ(sizeof(kestor_available_subprocesses), 10 * 408u);
}
