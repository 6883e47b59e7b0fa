// Collects the console lines written while it lives.
#pragma once

#include <QStringList>

#include "core/Console.h"

struct ConsoleCapture {
  ConsoleCapture() {
    setConsoleSink([this](const QByteArray &line) { lines.append(QString::fromUtf8(line)); });
  }
  ~ConsoleCapture() { setConsoleSink({}); }
  QStringList lines;
};
