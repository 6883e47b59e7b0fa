#include "core/SettingsFileWatch.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

SettingsFileWatch::SettingsFileWatch(QSettings &store, QObject *parent)
    : QObject(parent), store_(store), path_(store.fileName()) {
  const QFileInfo file(path_);
  QDir().mkpath(file.absolutePath());
  watcher_.addPath(file.absolutePath());
  if (file.exists()) {
    watcher_.addPath(path_);
    size_ = file.size();
    modified_ = file.lastModified();
  }
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &SettingsFileWatch::fileTouched);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &SettingsFileWatch::fileTouched);
}

// The same test the store makes before reading the file again: its size or its time changed.
void SettingsFileWatch::fileTouched() {
  const QFileInfo file(path_);
  if (file.exists() && !watcher_.files().contains(path_)) watcher_.addPath(path_);
  const qint64 size = file.exists() ? file.size() : -1;
  const QDateTime modified = file.lastModified();
  if (size == size_ && modified == modified_) return;
  size_ = size;
  modified_ = modified;
  store_.sync();
  emit reloaded();
}
