// A stand-in for the SIMBAD service on 127.0.0.1: records the request target and answers in one
// of the ways the real service (or the network) can.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>

class StubSimbadServer : public QObject {
public:
  // An HTTP answer with the given status and body; or, after reading the request, closing the
  // connection without a reply; or never answering.
  enum class Mode { Answer, CloseWithoutReply, Silent };
  StubSimbadServer(Mode mode, int status = 200, QByteArray body = {})
      : mode(mode), status(status), body(std::move(body)) {
    server.listen(QHostAddress::LocalHost, 0);
    connect(&server, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket *socket = server.nextPendingConnection())
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
    });
  }
  QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()); }
  // An address on which nothing listens.
  static QString refusingAddress() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());  // closed on return
  }
  QByteArray target;  // of the last request line ("/simbad/sim-script?script=...")
  int requests = 0;

private:
  void serve(QTcpSocket *socket) {
    const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n")) return;
    target = request.left(request.indexOf("\r\n")).split(' ').value(1);
    ++requests;
    if (mode == Mode::Answer) {
      socket->write("HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Error") +
                    "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
      socket->disconnectFromHost();
    } else if (mode == Mode::CloseWithoutReply) {
      socket->close();
    }
  }
  Mode mode;
  int status;
  QByteArray body;
  QTcpServer server;
};
