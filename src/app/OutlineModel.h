// The control panel's outline as a tree model of three levels: devices, their groups, the
// groups' properties, each level in name order. It follows the client's model one property at a
// time: a new property's row (with its group's and device's rows when they are new) goes in at
// its place, a deleted one's row goes (with its group's and device's when they are left empty),
// and a changed one signals only the rows whose text or image changed, so the views keep their
// expansion, selection and place and draw only what changed.
#pragma once

#include "app/OutlineItem.h"

#include <QAbstractItemModel>
#include <QString>

#include <functional>
#include <map>
#include <memory>

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
    bool operator==(const Cell &) const = default;
  };
  // The cell of an item, from the controller.
  using CellView = std::function<Cell(const OutlineItem &item)>;

  explicit OutlineModel(CellView cellView, QObject *parent = nullptr);
  ~OutlineModel() override;

  QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
  QModelIndex parent(const QModelIndex &child) const override;
  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  bool hasChildren(const QModelIndex &parent = {}) const override;
  // A property's row never has children: a view expanding everything keeps only the device and
  // group rows as expanded, instead of also tracking every property's row, which each row put in
  // or taken out would walk.
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

  // The item of an index; nullptr for an invalid index.
  const OutlineItem *item(const QModelIndex &index) const;
  // The index of a model object in the tree; invalid when it is not there.
  QModelIndex indexFor(const void *object) const;

  // A property was defined: its row, and its group's and device's when new, go in at their place.
  void insert(const std::shared_ptr<KESTOR::Property> &property);
  // A property was deleted: its row goes, and its group's and device's when left without rows.
  void remove(const KESTOR::Property &property);
  // A property changed: its row and its ancestors' are signalled when their cells changed.
  void changed(const KESTOR::Property &property);

private:
  struct Node;
  Node &child(Node &parent, OutlineItem item, const QString &name);
  void remove(Node &node);
  void signalChangedCells(Node *node);
  // A node's row among its siblings, in logarithmic time at most.
  static int rowOf(const Node &node);
  QModelIndex indexOf(const Node *node) const;

  CellView cellView_;
  std::unique_ptr<Node> root_;
  std::map<const void *, Node *> nodes_;
};
