#include "FakeClient.h"

namespace {

uint32_t frameworkLevel = 0;

kestor_result fakeSetLogLevel(uint32_t level) {
  frameworkLevel = level;
  return KESTOR_OK;
}

uint32_t fakeGetLogLevel() { return frameworkLevel; }

kestor_result fakeStart() { return KESTOR_OK; }

kestor_result fakeAttach(kestor_client *client) { return client->attach ? client->attach(client) : kestor_result(KESTOR_OK); }

}  // namespace

void FakeBrowser::searchForServices(const QString &type, const QString &domain) { searched << type + domain; }

std::unique_ptr<KESTOR> makeFakeClient() {
  auto kestor = std::make_unique<KESTOR>(std::make_unique<FakeBrowser>(), std::make_unique<FakeBrowser>());
  kestor->framework.setLogLevel = &fakeSetLogLevel;
  kestor->framework.getLogLevel = &fakeGetLogLevel;
  kestor->framework.start = &fakeStart;
  kestor->framework.attachClient = &fakeAttach;
  return kestor;
}
