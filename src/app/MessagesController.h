// Runs the message-log window: the table follows the client object's log as entries arrive,
// Clear empties the log and Save writes it to a text file the user picks.
#pragma once

#include "app/BaseController.h"
#include "app/MessagesModel.h"

#include <QPointer>

class QTableView;

class MessagesController : public BaseController {
  Q_OBJECT

public:
  explicit MessagesController(QObject *parent = nullptr);

  // The client object whose log is shown; registers this controller as its delegate.
  void setKestor(KESTOR *kestor) override;
  // The outlet: the table that shows the log.
  void setMessagesTableView(QTableView *tableView);
  QTableView *messagesTableView() const;
  MessagesModel *model() const { return messagesModel_; }

  void messageReceived(const QString &message) override;

  // Writes the log to the file; a failure is shown to the user on the table's window.
  bool writeLog(const QString &path);

public slots:
  void clearLog();
  void saveLog();

private:
  QPointer<QTableView> tableView_;
  MessagesModel *messagesModel_ = nullptr;
};
