// The INDI XML session of our test drivers with indiserver, on standard input and output: what a
// client sends (a sequence of XML root elements) is read as it arrives and getProperties and
// newNumberVector are handed on (the rest is ignored); number vectors are defined and updated.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QXmlStreamReader>

#include <functional>

class DriverSession {
public:
  explicit DriverSession(const char *device);

  // The device asked for (empty for every device).
  std::function<void(const QString &device)> getProperties;
  // The vector's name and its items' values.
  std::function<void(const QString &vector, const QMap<QString, double> &numbers)> newNumberVector;

  // Reads standard input until it closes; `due`, when given, is called before each wait and
  // answers how long (ms) the wait may be at most (-1: no limit).
  void serve(const std::function<int()> &due = {});

  // Writes the XML to standard output at once.
  static void send(const QByteArray &xml);
  // A number vector of the device in group "Main Control", items with format %g and value 0.
  void defineNumbers(const char *name, const char *perm, const QList<QByteArray> &items) const;
  void setNumbers(const char *name, const char *state, const QMap<QByteArray, double> &values) const;

  const QByteArray device;

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
