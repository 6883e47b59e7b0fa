#include "app/ServicesModel.h"

#include "app/NamedImage.h"

ServicesModel::ServicesModel(std::function<int()> rowCount, std::function<Row(int)> row, QObject *parent)
    : QAbstractTableModel(parent), count_(std::move(rowCount)), row_(std::move(row)) {}

int ServicesModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : count_(); }

int ServicesModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 1; }

QVariant ServicesModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= count_()) return {};
  switch (role) {
  case Qt::DisplayRole: return row_(index.row()).text;
  case Qt::DecorationRole: return namedImage(row_(index.row()).image);
  case CellIdentifierRole: return QStringLiteral("service");
  default: return {};
  }
}

Qt::ItemFlags ServicesModel::flags(const QModelIndex &index) const {
  if (!index.isValid() || index.row() >= count_()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ServicesModel::reload() {
  beginResetModel();
  endResetModel();
}
