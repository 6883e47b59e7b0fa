// The selection of the control panel's outline: a row chosen by the user (click or keyboard) is
// selected only when the controller agrees, and the controller acts on the choice as it answers.
// Rows selected by the controller itself do not ask.
#pragma once

#include <QItemSelectionModel>

#include <functional>

class OutlineSelectionModel : public QItemSelectionModel {
  Q_OBJECT

public:
  using ShouldSelect = std::function<bool(const QModelIndex &index)>;

  OutlineSelectionModel(QAbstractItemModel *model, ShouldSelect shouldSelect, QObject *parent = nullptr);

  void select(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) override;
  void select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) override;

  // Selects the one row of a valid index, without asking.
  void selectRow(const QModelIndex &index);

private:
  ShouldSelect shouldSelect_;
  bool selecting_ = false;
};
