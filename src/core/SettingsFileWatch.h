// Notices writes that other processes make to the settings file and has the store of the watching
// thread read the file again. The store replaces the file when it writes it, so the folder is
// watched as well, and the new file is watched again after each replacement.
#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

class QSettings;

class SettingsFileWatch : public QObject {
  Q_OBJECT

public:
  // Watches the store's file from the calling thread, whose event loop delivers the changes. Makes
  // the file's folder when it is missing, so that the first write is seen too.
  explicit SettingsFileWatch(QSettings &store, QObject *parent = nullptr);

signals:
  // The file differs from the one last seen, and the store has read it again.
  void reloaded();

private:
  void fileTouched();

  QSettings &store_;
  QString path_;
  QFileSystemWatcher watcher_;
  qint64 size_ = -1;  // of the file last seen; -1 while there is none
  QDateTime modified_;
};
