#include "app/OutlineModel.h"

#include "app/NamedImage.h"
#include "kestor/Model.h"

const void *outlineObject(const OutlineItem &item) {
  return std::visit(
      [](const auto &value) -> const void * {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QString>) return nullptr;
        else return value.get();
      },
      item);
}

struct OutlineModel::Node {
  OutlineItem item;
  Node *parent = nullptr;
  int row = 0;
  std::vector<std::unique_ptr<Node>> children;
};

OutlineModel::OutlineModel(Children children, CellView cellView, QObject *parent)
    : QAbstractItemModel(parent), children(std::move(children)), cellView(std::move(cellView)),
      root(std::make_unique<Node>()) {}

OutlineModel::~OutlineModel() = default;

void OutlineModel::build(Node &node) {
  const OutlineItem *item = node.parent ? &node.item : nullptr;
  if (item && std::holds_alternative<QString>(*item)) return;
  if (item && std::holds_alternative<std::shared_ptr<KESTOR::Property>>(*item)) return;
  int row = 0;
  for (OutlineItem &child : children(item)) {
    auto childNode = std::make_unique<Node>();
    childNode->item = std::move(child);
    childNode->parent = &node;
    childNode->row = row++;
    if (const void *object = outlineObject(childNode->item)) nodes[object] = childNode.get();
    build(*childNode);
    node.children.push_back(std::move(childNode));
  }
}

void OutlineModel::reload() {
  beginResetModel();
  nodes.clear();
  root = std::make_unique<Node>();
  build(*root);
  endResetModel();
}

void OutlineModel::refresh() { refresh(*root); }

void OutlineModel::refresh(const Node &node) {
  if (node.children.empty()) return;
  emit dataChanged(indexOf(node.children.front().get()), indexOf(node.children.back().get()));
  for (const auto &child : node.children) refresh(*child);
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex &parent) const {
  const Node *owner = parent.isValid() ? static_cast<const Node *>(parent.internalPointer()) : root.get();
  if (column != 0 || row < 0 || size_t(row) >= owner->children.size()) return {};
  return createIndex(row, 0, owner->children[size_t(row)].get());
}

QModelIndex OutlineModel::parent(const QModelIndex &child) const {
  if (!child.isValid()) return {};
  return indexOf(static_cast<const Node *>(child.internalPointer())->parent);
}

QModelIndex OutlineModel::indexOf(const Node *node) const {
  if (!node || node == root.get()) return {};
  return createIndex(node->row, 0, const_cast<Node *>(node));
}

int OutlineModel::rowCount(const QModelIndex &parent) const {
  if (parent.column() > 0) return 0;
  const Node *owner = parent.isValid() ? static_cast<const Node *>(parent.internalPointer()) : root.get();
  return int(owner->children.size());
}

int OutlineModel::columnCount(const QModelIndex &parent) const {
  (void)parent;
  return 1;
}

bool OutlineModel::hasChildren(const QModelIndex &parent) const {
  const OutlineItem *owner = item(parent);
  if (!owner) return true;
  return std::holds_alternative<std::shared_ptr<KESTOR::Device>>(*owner) ||
         std::holds_alternative<std::shared_ptr<KESTOR::Group>>(*owner);
}

QVariant OutlineModel::data(const QModelIndex &index, int role) const {
  const OutlineItem *shown = item(index);
  if (!shown) return {};
  const Cell cell = cellView(*shown);
  switch (role) {
  case Qt::DisplayRole:
    return cell.text;
  case Qt::DecorationRole:
    return cell.image.isEmpty() ? QVariant() : QVariant(namedImage(cell.image));
  case CellIdentifierRole:
    return cell.identifier;
  default:
    return {};
  }
}

const OutlineItem *OutlineModel::item(const QModelIndex &index) const {
  if (!index.isValid()) return nullptr;
  return &static_cast<const Node *>(index.internalPointer())->item;
}

QModelIndex OutlineModel::indexFor(const void *object) const {
  const auto found = nodes.find(object);
  return found == nodes.end() ? QModelIndex() : indexOf(found->second);
}
