// Reads the whole contents of a URL on a worker thread while the caller waits, without running
// an event loop on the caller's thread; gives up after a time-out.
#pragma once

#include <QByteArray>
#include <QUrl>
#include <optional>

std::optional<QByteArray> fetchUrl(const QUrl &url, double timeoutSeconds);
