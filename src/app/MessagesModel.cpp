#include "app/MessagesModel.h"

MessagesModel::MessagesModel(const QStringList *messages, QObject *parent)
    : QAbstractTableModel(parent), messages_(messages) {}

int MessagesModel::rowCount(const QModelIndex &parent) const {
  if (parent.isValid() || !messages_) return 0;
  return int(messages_->size());
}

int MessagesModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 1; }

QVariant MessagesModel::data(const QModelIndex &index, int role) const {
  if (role != Qt::DisplayRole) return {};
  const int row = index.row();
  if (!messages_ || row < 0 || row >= messages_->size()) return QString();
  return messages_->at(row);
}

Qt::ItemFlags MessagesModel::flags(const QModelIndex &index) const {
  (void)index;
  return Qt::ItemIsEnabled;
}

void MessagesModel::reload() {
  beginResetModel();
  endResetModel();
}
