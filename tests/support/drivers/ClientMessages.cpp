#include "ClientMessages.h"

ClientMessages::ClientMessages() { reader.addData("<stream>"); }  // the protocol is a sequence of root elements

void ClientMessages::feed(const QByteArray &data) {
  reader.addData(data);
  while (!reader.atEnd()) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::Invalid) {
      return;  // more data needed (or a broken peer; indiserver closes us then)
    }
    if (token == QXmlStreamReader::StartElement) {
      start();
    } else if (token == QXmlStreamReader::EndElement) {
      end();
    } else if (token == QXmlStreamReader::Characters && inNumber) {
      text += reader.text();
    }
  }
}

void ClientMessages::start() {
  const auto name = reader.name();
  const auto attributes = reader.attributes();
  if (name == QLatin1String("getProperties")) {
    if (getProperties) getProperties(attributes.value(QLatin1String("device")).toString());
  } else if (name == QLatin1String("newNumberVector")) {
    vector = attributes.value(QLatin1String("name")).toString();
    numbers.clear();
  } else if (name == QLatin1String("oneNumber")) {
    item = attributes.value(QLatin1String("name")).toString();
    text.clear();
    inNumber = true;
  }
}

void ClientMessages::end() {
  const auto name = reader.name();
  if (name == QLatin1String("oneNumber")) {
    numbers[item] = text.trimmed().toDouble();
    inNumber = false;
  } else if (name == QLatin1String("newNumberVector") && newNumberVector) {
    newNumberVector(vector, numbers);
  }
}
