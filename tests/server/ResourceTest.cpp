// Resources registered with the server are served as copies over HTTP on the bus port.
#include "ServerFixture.h"

#include <kestor.h>

TEST_F(ServerFixture, ServesACopyOfEachResource) {
  std::string json = "{\"a\":1}";
  ASSERT_EQ(kestor_server_add_resource("/data/test.json", json.data(), json.size(), "application/json; charset=utf-8"), KESTOR_OK);
  json[5] = '2';  // the server keeps its own copy
  const unsigned char gzip[] = {0x1f, 0x8b, 8, 0};
  ASSERT_EQ(kestor_server_add_resource("/data/test.gz", gzip, sizeof gzip, "application/json"), KESTOR_OK);

  RawClient get(port);
  get.send("GET /data/test.json HTTP/1.1\r\nHost: localhost\r\n\r\n");
  const std::string answer = get.readAll();
  EXPECT_TRUE(contains(answer, "HTTP/1.0 200 OK\r\n")) << answer;
  EXPECT_TRUE(contains(answer, "Content-Type: application/json; charset=utf-8\r\n")) << answer;
  EXPECT_TRUE(contains(answer, "Content-Length: 7\r\n")) << answer;
  EXPECT_FALSE(contains(answer, "Content-Encoding")) << answer;
  EXPECT_TRUE(answer.ends_with("\r\n\r\n{\"a\":1}")) << answer;

  RawClient zipped(port);
  zipped.send("GET /data/test.gz?x=1 HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(contains(zipped.readAll(), "Content-Encoding: gzip\r\n"));

  RawClient missing(port);
  missing.send("GET /data/none.json HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(contains(missing.readAll(), "404 Not Found"));
}

TEST(ServerResources, RejectsBadArguments) {
  const char data[] = "x";
  EXPECT_EQ(kestor_server_add_resource(nullptr, data, 1, "text/plain"), KESTOR_INVALID);
  EXPECT_EQ(kestor_server_add_resource("relative", data, 1, "text/plain"), KESTOR_INVALID);
  EXPECT_EQ(kestor_server_add_resource("/x", nullptr, 1, "text/plain"), KESTOR_INVALID);
  EXPECT_EQ(kestor_server_add_resource("/x", data, 1, "text/plain\r\nX-Evil: 1"), KESTOR_INVALID);
}
