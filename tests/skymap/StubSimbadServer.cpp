#include "StubSimbadServer.h"

#include <QTcpSocket>

StubSimbadServer::StubSimbadServer(Mode mode, int status, QByteArray body)
    : mode(mode), status(status), body(std::move(body)) {
  server.listen(QHostAddress::LocalHost, 0);
  connect(&server, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket *socket = server.nextPendingConnection())
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
  });
}

QString StubSimbadServer::address() const {
  return QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
}

QString StubSimbadServer::refusingAddress() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const quint16 port = probe.serverPort();
  probe.close();
  return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

void StubSimbadServer::serve(QTcpSocket *socket) {
  const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
  socket->setProperty("request", request);
  if (!request.contains("\r\n\r\n"))
    return;
  const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
  target = requestLine.size() > 1 ? requestLine[1] : QByteArray();
  ++requests;
  switch (mode) {
  case Mode::Answer:
    socket->write("HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Error") + "\r\n" +
                  "Content-Type: text/plain; charset=utf-8\r\nContent-Length: " + QByteArray::number(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
    break;
  case Mode::CloseWithoutReply:
    socket->close();
    break;
  case Mode::Silent:
    break;
  }
}
