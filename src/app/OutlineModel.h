// The control panel's outline as a tree model of three levels: devices, their groups, the
// groups' properties. The tree is taken from the controller at every reload and kept until the
// next, so indexes stay valid between two reloads even when the client's model changes.
#pragma once

#include "app/OutlineItem.h"

#include <QAbstractItemModel>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class OutlineModel : public QAbstractItemModel {
  Q_OBJECT

public:
  // The role that names the cell an item is shown with: "state" or "text".
  static constexpr int CellIdentifierRole = Qt::UserRole + 1;

  // What a cell shows: its identifier, its text and, for "state" cells, a named image.
  struct Cell {
    QString identifier;
    QString text;
    QString image;
  };
  // The children of an item (nullptr: the root) and the cell of an item, from the controller.
  using Children = std::function<std::vector<OutlineItem>(const OutlineItem *item)>;
  using CellView = std::function<Cell(const OutlineItem &item)>;

  OutlineModel(Children children, CellView cellView, QObject *parent = nullptr);
  ~OutlineModel() override;

  QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
  QModelIndex parent(const QModelIndex &child) const override;
  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  bool hasChildren(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

  // The item of an index; nullptr for an invalid index.
  const OutlineItem *item(const QModelIndex &index) const;
  // The index of a model object in the tree of the last reload; invalid when it is not there.
  QModelIndex indexFor(const void *object) const;

  // Takes the tree anew from the controller.
  void reload();
  // The items stay, their cells changed: every view draws them again.
  void refresh();

private:
  struct Node;
  void build(Node &node);
  QModelIndex indexOf(const Node *node) const;
  void refresh(const Node &node);

  Children children;
  CellView cellView;
  std::unique_ptr<Node> root;
  std::map<const void *, Node *> nodes;
};
