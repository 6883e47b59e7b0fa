// A client object whose framework entry points and service browsers are stand-ins: it starts,
// attaches and logs like the real one without any bus connection or DNS-SD daemon.
#pragma once

#include "kestor/KESTOR.h"

#include <memory>

class FakeBrowser : public NetServiceBrowser {
public:
  void searchForServices(const QString &type, const QString &domain) override;
  QStringList searched;
};

// A client object with stand-in entry points that keep the log level they are given.
std::unique_ptr<KESTOR> makeFakeClient();
