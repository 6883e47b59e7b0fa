#include "app/OutlineModel.h"

#include "app/NameOrder.h"
#include "app/NamedImage.h"
#include "kestor/Model.h"

#include <algorithm>
#include <vector>

const void *outlineObject(const OutlineItem &item) {
  return std::visit([](const auto &value) -> const void * { return value.get(); }, item);
}

struct OutlineModel::Node {
  OutlineItem item;
  QString name;
  QString key;  // nameKey(name), the row's place among its siblings
  Cell shown;   // the cell as last signalled
  Node *parent = nullptr;
  // The row where the node was last found: rows put in or taken out before it shift it, and
  // rowOf finds it again instead of each change renumbering every row after it.
  mutable int row = 0;
  std::vector<std::unique_ptr<Node>> children;
};

namespace {

// Siblings in name order; siblings whose names compose alike keep the order of the client's
// dictionaries.
template <typename A, typename B>
bool sortsBefore(const A &a, const B &b) {
  return keySortsBefore(a->key, b->key) || (!keySortsBefore(b->key, a->key) && a->name < b->name);
}

}  // namespace

OutlineModel::OutlineModel(CellView cellView, QObject *parent)
    : QAbstractItemModel(parent), cellView_(std::move(cellView)), root_(std::make_unique<Node>()) {}

OutlineModel::~OutlineModel() = default;

// The parent's row for the item, put in at its place in name order when new.
OutlineModel::Node &OutlineModel::child(Node &parent, OutlineItem item, const QString &name) {
  const void *object = outlineObject(item);
  if (const auto found = nodes_.find(object); found != nodes_.end()) return *found->second;
  auto node = std::make_unique<Node>();
  node->name = name;
  node->key = nameKey(name);
  node->shown = cellView_(item);
  node->item = std::move(item);
  node->parent = &parent;
  const auto place = std::upper_bound(parent.children.begin(), parent.children.end(), node,
                                      [](const auto &a, const auto &b) { return sortsBefore(a, b); });
  const int row = int(place - parent.children.begin());
  node->row = row;
  beginInsertRows(indexOf(&parent), row, row);
  Node &inserted = **parent.children.insert(place, std::move(node));
  nodes_[object] = &inserted;
  endInsertRows();
  return inserted;
}

void OutlineModel::insert(const std::shared_ptr<KESTOR::Property> &property) {
  const std::shared_ptr<KESTOR::Device> &device = property->device;
  const auto group = device->groups.find(property->group);
  if (group == device->groups.end()) return;
  Node &deviceNode = child(*root_, device, device->name);
  Node &groupNode = child(deviceNode, group->second, group->second->name);
  // A property defined with the device's connection changes the device's image.
  signalChangedCells(&child(groupNode, property, property->name));
}

void OutlineModel::remove(const KESTOR::Property &property) {
  if (const auto found = nodes_.find(&property); found != nodes_.end()) remove(*found->second);
}

void OutlineModel::remove(Node &node) {
  Node &parent = *node.parent;
  const int row = rowOf(node);
  beginRemoveRows(indexOf(&parent), row, row);
  nodes_.erase(outlineObject(node.item));
  parent.children.erase(parent.children.begin() + row);
  endRemoveRows();
  if (&parent != root_.get() && parent.children.empty()) remove(parent);
}

void OutlineModel::changed(const KESTOR::Property &property) {
  if (const auto found = nodes_.find(&property); found != nodes_.end()) signalChangedCells(found->second);
}

void OutlineModel::signalChangedCells(Node *node) {
  for (; node != root_.get(); node = node->parent) {
    Cell cell = cellView_(node->item);
    if (cell == node->shown) continue;
    node->shown = std::move(cell);
    const QModelIndex changedIndex = indexOf(node);
    emit dataChanged(changedIndex, changedIndex);
  }
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex &parent) const {
  const Node *owner = parent.isValid() ? static_cast<const Node *>(parent.internalPointer()) : root_.get();
  if (column != 0 || row < 0 || size_t(row) >= owner->children.size()) return {};
  return createIndex(row, 0, owner->children[size_t(row)].get());
}

QModelIndex OutlineModel::parent(const QModelIndex &child) const {
  if (!child.isValid()) return {};
  return indexOf(static_cast<const Node *>(child.internalPointer())->parent);
}

int OutlineModel::rowOf(const Node &node) {
  const std::vector<std::unique_ptr<Node>> &siblings = node.parent->children;
  if (size_t(node.row) < siblings.size() && siblings[size_t(node.row)].get() == &node) return node.row;
  auto place = std::lower_bound(siblings.begin(), siblings.end(), &node,
                                [](const auto &a, const Node *b) { return sortsBefore(a, b); });
  while (place->get() != &node) ++place;
  node.row = int(place - siblings.begin());
  return node.row;
}

QModelIndex OutlineModel::indexOf(const Node *node) const {
  if (!node || node == root_.get()) return {};
  return createIndex(rowOf(*node), 0, const_cast<Node *>(node));
}

int OutlineModel::rowCount(const QModelIndex &parent) const {
  if (parent.column() > 0) return 0;
  const Node *owner = parent.isValid() ? static_cast<const Node *>(parent.internalPointer()) : root_.get();
  return int(owner->children.size());
}

int OutlineModel::columnCount(const QModelIndex &parent) const {
  (void)parent;
  return 1;
}

bool OutlineModel::hasChildren(const QModelIndex &parent) const {
  const OutlineItem *owner = item(parent);
  return !owner || !std::holds_alternative<std::shared_ptr<KESTOR::Property>>(*owner);
}

Qt::ItemFlags OutlineModel::flags(const QModelIndex &index) const {
  const Qt::ItemFlags flags = QAbstractItemModel::flags(index);
  return index.isValid() && !hasChildren(index) ? flags | Qt::ItemNeverHasChildren : flags;
}

QVariant OutlineModel::data(const QModelIndex &index, int role) const {
  const OutlineItem *shown = item(index);
  if (!shown) return {};
  const Cell cell = cellView_(*shown);
  switch (role) {
  case Qt::DisplayRole: return cell.text;
  case Qt::DecorationRole: return cell.image.isEmpty() ? QVariant() : QVariant(namedImage(cell.image));
  case CellIdentifierRole: return cell.identifier;
  default: return {};
  }
}

const OutlineItem *OutlineModel::item(const QModelIndex &index) const {
  if (!index.isValid()) return nullptr;
  return &static_cast<const Node *>(index.internalPointer())->item;
}

QModelIndex OutlineModel::indexFor(const void *object) const {
  const auto found = nodes_.find(object);
  return found == nodes_.end() ? QModelIndex() : indexOf(found->second);
}
