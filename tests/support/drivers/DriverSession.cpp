#include "DriverSession.h"

#include <cstdio>
#include <poll.h>
#include <unistd.h>

DriverSession::DriverSession(const char *device) : device(device) {
  reader.addData("<stream>");  // the protocol is a sequence of root elements
}

void DriverSession::serve(const std::function<int()> &due) {
  char buffer[4096];
  for (;;) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (::poll(&input, 1, due ? due() : -1) <= 0) continue;
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) return;
    reader.addData(QByteArray(buffer, static_cast<qsizetype>(n)));
    while (!reader.atEnd()) {
      const QXmlStreamReader::TokenType token = reader.readNext();
      if (token == QXmlStreamReader::Invalid) break;  // more data needed (or a broken peer: indiserver closes us)
      if (token == QXmlStreamReader::StartElement) start();
      if (token == QXmlStreamReader::EndElement) end();
      if (token == QXmlStreamReader::Characters && inNumber) text += reader.text();
    }
  }
}

void DriverSession::start() {
  const auto name = reader.name();
  const auto attributes = reader.attributes();
  if (name == QLatin1String("getProperties")) {
    const QString asked = attributes.value(QLatin1String("device")).toString();
    if (getProperties && (asked.isEmpty() || asked == QLatin1String(device))) getProperties(asked);
  } else if (name == QLatin1String("newNumberVector")) {
    vector = attributes.value(QLatin1String("name")).toString();
    numbers.clear();
  } else if (name == QLatin1String("oneNumber")) {
    item = attributes.value(QLatin1String("name")).toString();
    text.clear();
    inNumber = true;
  }
}

void DriverSession::end() {
  const auto name = reader.name();
  if (name == QLatin1String("oneNumber")) {
    numbers[item] = text.trimmed().toDouble();
    inNumber = false;
  } else if (name == QLatin1String("newNumberVector") && newNumberVector) {
    newNumberVector(vector, numbers);
  }
}

void DriverSession::send(const QByteArray &xml) {
  std::fwrite(xml.constData(), 1, static_cast<size_t>(xml.size()), stdout);
  std::fflush(stdout);
}

void DriverSession::defineNumbers(const char *name, const char *perm, const QList<QByteArray> &items) const {
  QByteArray xml = "<defNumberVector device=\"" + device + "\" name=\"" + name + "\" label=\"" + name +
                   "\" group=\"Main Control\" state=\"Idle\" perm=\"" + perm + "\" timeout=\"0\">\n";
  for (const QByteArray &item : items)
    xml += "  <defNumber name=\"" + item + "\" label=\"" + item +
           "\" format=\"%g\" min=\"0\" max=\"0\" step=\"0\">0</defNumber>\n";
  send(xml + "</defNumberVector>\n");
}

void DriverSession::setNumbers(const char *name, const char *state, const QMap<QByteArray, double> &values) const {
  QByteArray xml = "<setNumberVector device=\"" + device + "\" name=\"" + name + "\" state=\"" + state + "\">\n";
  for (auto it = values.begin(); it != values.end(); ++it)
    xml += "  <oneNumber name=\"" + it.key() + "\">" + QByteArray::number(it.value(), 'g', 17) + "</oneNumber>\n";
  send(xml + "</setNumberVector>\n");
}
