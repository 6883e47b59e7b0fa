// The message-log window: rows follow the log, Clear empties it, Save writes it as UTF-8 text
// through the save dialog, and a failed save is shown to the user.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "app/MainInterface.h"
#include "core/Globals.h"

#include <QSettings>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

template <typename Dialog> Dialog *findDialog() {
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    if (auto *dialog = qobject_cast<Dialog *>(widget); dialog && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

QByteArray fileContents(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class MessagesControllerTest : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    interface = std::make_unique<MainInterface>(makeFakeClient());
    interface->window->show();
    ASSERT_TRUE(folder.isValid());
  }

  void log(const QStringList &entries) {
    for (const QString &entry : entries) interface->kestor->appendMessage(entry, false);
  }
  KESTOR &kestor() { return *interface->kestor; }
  MessagesModel &model() { return *interface->messagesController.model(); }

  // Clicks Save, then answers the dialog with the path, or cancels it for an empty path.
  void saveThroughDialog(const QString &path) {
    QTest::mouseClick(interface->mainUi.saveButton, Qt::LeftButton);
    QFileDialog *dialog = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (dialog = findDialog<QFileDialog>()) != nullptr; }));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("txt"));
    if (path.isEmpty()) {
      dialog->reject();
    } else {
      dialog->selectFile(path);
      static_cast<QDialog *>(dialog)->accept();
    }
    waitUntil([] { return findDialog<QFileDialog>() == nullptr; });
  }

  std::unique_ptr<MainInterface> interface;
  QTemporaryDir folder;
};

TEST_F(MessagesControllerTest, RowsFollowTheLogAndCannotBeSelected) {
  log({"one", "two", "three"});
  ASSERT_EQ(model().rowCount(), 3);
  EXPECT_TRUE(model().data(model().index(2, 0)).toString().endsWith(QStringLiteral(" three")));
  EXPECT_EQ(model().data(model().index(7, 0)).toString(), QString()) << "a row past the end is empty";
  EXPECT_FALSE(model().flags(model().index(0, 0)) & Qt::ItemIsSelectable);

  QTableView *table = interface->mainUi.messagesTableView;
  const QRect first = table->visualRect(model().index(0, 0));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, first.center());
  EXPECT_FALSE(table->selectionModel()->hasSelection());
}

TEST_F(MessagesControllerTest, TheTableFollowsTheNewestEntry) {
  QStringList many;
  for (int i = 0; i < 300; ++i) many << QStringLiteral("entry %1").arg(i);
  log(many);
  QScrollBar *bar = interface->mainUi.messagesTableView->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(MessagesControllerTest, ClearEmptiesTheLog) {
  log({"one", "two"});
  QTest::mouseClick(interface->mainUi.clearButton, Qt::LeftButton);
  EXPECT_TRUE(kestor().messages.isEmpty());
  EXPECT_EQ(model().rowCount(), 0);
  interface->mainUi.clearLogAction->trigger();
  EXPECT_EQ(model().rowCount(), 0);
}

TEST_F(MessagesControllerTest, SaveWritesTheEntriesByteForByte) {
  log({"first", "two\nlines", "dernière"});
  const QString path = folder.filePath(QStringLiteral("log.txt"));
  saveThroughDialog(path);
  const QByteArray saved = fileContents(path);
  EXPECT_EQ(saved, kestor().messages.join(QLatin1Char('\n')).toUtf8());
  EXPECT_EQ(saved.count('\n'), 3) << "two separators and the entry's own line break";
  EXPECT_FALSE(saved.endsWith('\n'));
  EXPECT_TRUE(saved.endsWith(QStringLiteral(" dernière").toUtf8()));
}

TEST_F(MessagesControllerTest, SavingAnEmptyLogWritesAnEmptyFile) {
  const QString path = folder.filePath(QStringLiteral("empty.txt"));
  saveThroughDialog(path);
  EXPECT_EQ(fileContents(path), QByteArray());
}

TEST_F(MessagesControllerTest, SaveAddsTheTextSuffix) {
  log({"one"});
  saveThroughDialog(folder.filePath(QStringLiteral("named")));
  EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("named.txt"))));
}

TEST_F(MessagesControllerTest, CancelWritesNothing) {
  log({"one"});
  saveThroughDialog(QString());
  EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(MessagesControllerTest, AFailedSaveIsShownToTheUser) {
  log({"one"});
  const QString path = folder.filePath(QStringLiteral("missing/log.txt"));
  EXPECT_FALSE(interface->messagesController.writeLog(path));
  QMessageBox *alert = nullptr;
  ASSERT_TRUE(waitUntil([&] { return (alert = findDialog<QMessageBox>()) != nullptr; }));
  EXPECT_EQ(alert->icon(), QMessageBox::Warning);
  EXPECT_TRUE(alert->text().contains(path));
  alert->accept();
  EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
