// The message log as a one-column table: one row per entry, rows that cannot be selected.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class MessagesModel : public QAbstractTableModel {
  Q_OBJECT

public:
  // Shows the given list, which must outlive the model; nullptr shows nothing.
  explicit MessagesModel(const QStringList *messages, QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  // The entry of the row for any column; "" for a row at or past the end of the list.
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;

  // The list changed: every view reads it again.
  void reload();

private:
  const QStringList *messages_;
};
