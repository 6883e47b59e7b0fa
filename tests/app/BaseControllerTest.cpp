// Window controllers as delegates of the client object: registration at every setKestor, and the
// notifications reaching only the controllers that override them.
#include "Fakes.h"
#include "app/BaseController.h"

#include <gtest/gtest.h>

namespace {

class CountingController : public BaseController {
public:
  void messageReceived(const QString &message) override { received << message; }
  QStringList received;
};

TEST(BaseControllerTest, EachRegistrationIsNotifiedOnce) {
  auto kestor = makeFakeClient();
  CountingController once, twice;
  once.setKestor(kestor.get());
  twice.setKestor(kestor.get());
  twice.setKestor(kestor.get());
  EXPECT_EQ(kestor->delegates.size(), 3u);

  kestor->appendMessage(QStringLiteral("hello"), false);
  EXPECT_EQ(once.received, QStringList{"hello"});
  EXPECT_EQ(twice.received, (QStringList{"hello", "hello"}));
}

TEST(BaseControllerTest, AnEmptyClientObjectIsRefused) {
  auto kestor = makeFakeClient();
  CountingController controller;
  controller.setKestor(kestor.get());
  controller.setKestor(nullptr);
  EXPECT_EQ(&controller.kestor(), kestor.get());
  EXPECT_EQ(kestor->delegates.size(), 1u);
}

TEST(BaseControllerTest, ABareControllerIgnoresEveryNotification) {
  auto kestor = makeFakeClient();
  BaseController controller;
  controller.setKestor(kestor.get());
  kestor->notifyClientAttached();
  kestor->appendMessage(QStringLiteral("ignored"), false);
  kestor->clearMessages();
  controller.updateAppearance();
  controller.lock();
  controller.unlock();
  EXPECT_TRUE(kestor->messages.isEmpty());
}

}  // namespace
