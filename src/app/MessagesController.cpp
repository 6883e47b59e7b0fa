#include "app/MessagesController.h"

#include "app/LogFile.h"
#include "core/Dispatch.h"
#include "kestor/KESTOR.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QTableView>

MessagesController::MessagesController(QObject *parent) : BaseController(parent) {}

void MessagesController::setKestor(KESTOR *kestor) {
  BaseController::setKestor(kestor);
  if (!kestor) return;
  delete messagesModel_;
  messagesModel_ = new MessagesModel(&kestor->messages, this);
  if (tableView_) tableView_->setModel(messagesModel_);
}

void MessagesController::setMessagesTableView(QTableView *view) {
  tableView_ = view;
  if (!view) return;
  view->setSelectionMode(QAbstractItemView::NoSelection);
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  view->horizontalHeader()->setStretchLastSection(true);
  if (messagesModel_) view->setModel(messagesModel_);
}

QTableView *MessagesController::messagesTableView() const { return tableView_; }

void MessagesController::messageReceived(const QString &message) {
  (void)message;
  syncMain([this] {
    if (!messagesModel_) return;
    messagesModel_->reload();
    const int count = messagesModel_->rowCount();
    if (!tableView_ || count == 0) return;
    tableView_->doItemsLayout();  // the scroll range must include the new rows
    tableView_->scrollTo(messagesModel_->index(count - 1, 0));
  });
}

void MessagesController::clearLog() {
  syncMain([this] { kestor().clearMessages(); });
}

void MessagesController::saveLog() {
  auto *dialog = new QFileDialog(tableView_ ? tableView_->window() : nullptr);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setNameFilter(tr("Text (*.txt)"));
  dialog->setDefaultSuffix(QStringLiteral("txt"));
  connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) {
    if (!path.isEmpty()) writeLog(path);
  });
  dialog->open();
}

bool MessagesController::writeLog(const QString &path) {
  QString error;
  if (writeLogFile(path, kestor().messages, error)) return true;
  auto *alert = new QMessageBox(QMessageBox::Warning, tr("Log not saved"),
                                tr("The log could not be saved to %1: %2").arg(path, error), QMessageBox::Ok,
                                tableView_ ? tableView_->window() : nullptr);
  alert->setAttribute(Qt::WA_DeleteOnClose);
  alert->setWindowModality(Qt::WindowModal);
  alert->open();
  return false;
}
