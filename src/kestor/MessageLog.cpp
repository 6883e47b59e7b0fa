// The message log: console lines at once, time-stamped entries appended on the main thread.
#include <QDateTime>

#include "core/Console.h"
#include "core/Dispatch.h"
#include "core/Settings.h"
#include "kestor/KESTOR.h"
#include "kestor/KESTORDelegate.h"
#include "kestor/Speech.h"

void KESTOR::log(const QString &text, bool sound) {
  writeConsole(text);
  asyncMain(this, [this, text, sound] { appendMessage(text, sound); });
}

void KESTOR::writeConsole(const QString &text) {
  for (const QString &line : text.split(u'\n')) consoleLine(line.toUtf8());
}

void KESTOR::appendMessage(const QString &text, bool sound) {
  if (messages.size() >= MAX_MESSAGES) messages.removeFirst();
  messages.append(QDateTime::currentDateTime().toString(timeFormat) + u' ' + text);
  notify([&](KESTORDelegate &receiver) { receiver.messageReceived(text); });
  if (sound && UserDefaults::read(Setting::ENABLE_SOUNDS)) speak(text);
}

void KESTOR::clearMessages() {
  messages.clear();
  notify([](KESTORDelegate &receiver) { receiver.messageReceived(QStringLiteral("Log cleared...")); });
}
