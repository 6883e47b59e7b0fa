// A stand-in for the SIMBAD service on 127.0.0.1: records the request target and answers in one
// of the ways the real service (or the network) can.
#pragma once

#include <QByteArray>
#include <QTcpServer>

class StubSimbadServer : public QObject {
public:
  enum class Mode {
    Answer,             // an HTTP answer with the given status and body
    CloseWithoutReply,  // reads the request and closes the connection
    Silent,             // reads the request and never answers
  };
  StubSimbadServer(Mode mode, int status = 200, QByteArray body = {});
  QString address() const;
  // The target of the last request line ("/simbad/sim-script?script=...").
  QByteArray target;
  int requests = 0;

  // An address on which nothing listens.
  static QString refusingAddress();

private:
  void serve(QTcpSocket *socket);
  Mode mode;
  int status;
  QByteArray body;
  QTcpServer server;
};
