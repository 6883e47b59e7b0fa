// What a client sends a driver through indiserver (a sequence of XML root elements on the
// driver's standard input), read as it arrives: getProperties and newNumberVector are handed on,
// the rest is ignored.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QXmlStreamReader>

#include <functional>

class ClientMessages {
public:
  // The device asked for (empty for every device).
  std::function<void(const QString &device)> getProperties;
  // The vector's name and its items' values.
  std::function<void(const QString &vector, const QMap<QString, double> &numbers)> newNumberVector;

  ClientMessages();
  // Reads what has arrived; an element cut off at the end is completed by the next call.
  void feed(const QByteArray &data);

private:
  void start();
  void end();

  QXmlStreamReader reader;
  QString vector;
  QString item;
  QString text;
  bool inNumber = false;
  QMap<QString, double> numbers;
};
