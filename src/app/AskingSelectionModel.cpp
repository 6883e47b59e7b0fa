#include "app/AskingSelectionModel.h"

#include <QAbstractItemView>

AskingSelectionModel::AskingSelectionModel(QAbstractItemModel *model, ShouldSelect shouldSelect, QObject *parent)
    : QItemSelectionModel(model, parent), shouldSelect_(std::move(shouldSelect)) {}

AskingSelectionModel *AskingSelectionModel::install(QAbstractItemView &view, ShouldSelect shouldSelect,
                                                    QObject *parent) {
  QItemSelectionModel *original = view.selectionModel();
  auto *asking = new AskingSelectionModel(view.model(), std::move(shouldSelect), parent);
  view.setSelectionModel(asking);
  delete original;
  return asking;
}

void AskingSelectionModel::select(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) {
  select(QItemSelection(index, index), command);
}

void AskingSelectionModel::select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) {
  const QModelIndexList chosen = selection.indexes();
  const bool asks =
      !selecting_ && command.testFlag(QItemSelectionModel::Select) && chosen.size() == 1 && !isSelected(chosen.first());
  if (asks && !shouldSelect_(chosen.first())) return;
  QItemSelectionModel::select(selection, command);
}

void AskingSelectionModel::selectRow(const QModelIndex &index) {
  if (!index.isValid() || (currentIndex() == index && selectedIndexes() == QModelIndexList{index})) return;
  selecting_ = true;
  QItemSelectionModel::select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  selecting_ = false;
}
