// The message-log window: rows follow the log and the newest entry, Clear empties it, Save writes
// it as UTF-8 text through the save dialog, and a failed save is shown to the user.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "app/MainInterface.h"
#include "core/Globals.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

template <typename Dialog>
Dialog *findDialog() {
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (auto *dialog = qobject_cast<Dialog *>(widget); dialog && dialog->isVisible()) return dialog;
  return nullptr;
}

class MessagesControllerTest : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    interface.window->show();
  }
  void log(const QStringList &entries) {
    for (const QString &entry : entries) interface.kestor->appendMessage(entry, false);
  }
  MessagesModel &model() { return *interface.messagesController.model(); }

  MainInterface interface { makeFakeClient() };
  QTemporaryDir folder;
};

TEST_F(MessagesControllerTest, RowsFollowTheLogCannotBeSelectedAndClearEmptiesIt) {
  QStringList many;
  for (int i = 0; i < 300; ++i) many << QStringLiteral("entry %1").arg(i);
  log(many);
  ASSERT_EQ(model().rowCount(), 300);
  EXPECT_TRUE(model().data(model().index(2, 0)).toString().endsWith(QStringLiteral(" entry 2")));
  QTableView *table = interface.mainUi.messagesTableView;
  QScrollBar *bar = table->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum()) << "the table follows the newest entry";
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(model().index(299, 0)).center());
  EXPECT_FALSE(table->selectionModel()->hasSelection());

  QTest::mouseClick(interface.mainUi.clearButton, Qt::LeftButton);
  EXPECT_TRUE(interface.kestor->messages.isEmpty());
  EXPECT_EQ(model().rowCount(), 0);
}

TEST_F(MessagesControllerTest, SaveWritesTheEntriesByteForByteThroughTheDialog) {
  const struct {
    QStringList entries;
    const char *answer;  // nullptr: cancelled
    const char *written;
  } cases[] = {
      {{"first", "two\nlines", "dernière"}, "log.txt", "log.txt"},
      {{}, "empty.txt", "empty.txt"},
      {{"one"}, "named", "named.txt"},
      {{"one"}, nullptr, nullptr},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.written ? c.written : "cancelled");
    interface.kestor->clearMessages();
    log(c.entries);
    QTest::mouseClick(interface.mainUi.saveButton, Qt::LeftButton);
    QFileDialog *dialog = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (dialog = findDialog<QFileDialog>()) != nullptr; }));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    if (!c.answer) {
      dialog->reject();
      EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3);
      continue;
    }
    dialog->selectFile(folder.filePath(QString::fromUtf8(c.answer)));
    static_cast<QDialog *>(dialog)->accept();
    QFile saved(folder.filePath(QString::fromUtf8(c.written)));
    ASSERT_TRUE(waitUntil([&] { return findDialog<QFileDialog>() == nullptr && saved.exists(); }));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), interface.kestor->messages.join(QLatin1Char('\n')).toUtf8());
  }

  const QString path = folder.filePath(QStringLiteral("missing/log.txt"));
  EXPECT_FALSE(interface.messagesController.writeLog(path));
  QMessageBox *alert = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (alert = findDialog<QMessageBox>()) != nullptr; }));
  EXPECT_EQ(alert->icon(), QMessageBox::Warning);
  EXPECT_TRUE(alert->text().contains(path));
  alert->accept();
}

}  // namespace
