// A selection that asks its controller: a row chosen by the user (click or keyboard) is selected
// only when the controller agrees, and the controller acts on the choice as it answers; when it
// refuses, the selection stays as it was. Rows selected by the controller itself do not ask.
// Serves the control panel's outline and the server list.
#pragma once

#include <QItemSelectionModel>

#include <functional>

class QAbstractItemView;

class AskingSelectionModel : public QItemSelectionModel {
  Q_OBJECT

public:
  using ShouldSelect = std::function<bool(const QModelIndex &index)>;

  AskingSelectionModel(QAbstractItemModel *model, ShouldSelect shouldSelect, QObject *parent = nullptr);
  // Replaces the view's selection model (deleted) with one that asks, over the view's model.
  static AskingSelectionModel *install(QAbstractItemView &view, ShouldSelect shouldSelect, QObject *parent);

  void select(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) override;
  void select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) override;

  // Selects the one row of a valid index, without asking.
  void selectRow(const QModelIndex &index);

private:
  ShouldSelect shouldSelect_;
  bool selecting_ = false;
};
