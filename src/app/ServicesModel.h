// The server table of the preferences sheet as a one-column table model: the discovered services
// first, then the user's servers. Which rows the user may select, the table's selection asks the
// controller.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <functional>

class ServicesModel : public QAbstractTableModel {
  Q_OBJECT

public:
  // The role that names the cell a row is shown with ("service").
  static constexpr int CellIdentifierRole = Qt::UserRole + 1;

  // What one row shows.
  struct Row {
    QString text;
    QString image;  // a named image
  };

  // Rows come from the functions given, asked anew on every request.
  ServicesModel(std::function<int()> rowCount, std::function<Row(int)> row, QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;

  // The rows changed: every view reads them again.
  void reload();

private:
  std::function<int()> count_;
  std::function<Row(int)> row_;
};
