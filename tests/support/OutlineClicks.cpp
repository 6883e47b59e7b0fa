#include "OutlineClicks.h"

#include "app/CtrlPanelController.h"
#include "app/OutlineModel.h"
#include "widgets/PropertyWidget.h"

#include <QTest>
#include <QTreeView>

QModelIndex outlineIndex(const CtrlPanelController &controller, const QStringList &path) {
  const OutlineModel *model = controller.outlineModel();
  QModelIndex parent;
  for (const QString &text : path) {
    QModelIndex found;
    for (int row = 0; row < model->rowCount(parent) && !found.isValid(); ++row) {
      const QModelIndex index = model->index(row, 0, parent);
      if (index.data().toString() == text) found = index;
    }
    if (!found.isValid()) return {};
    parent = found;
  }
  return parent;
}

void clickRow(QTreeView *outline, const QModelIndex &index) {
  outline->scrollTo(index);
  const QRect rect = outline->visualRect(index);
  QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 30, rect.center().y()));
}

QStringList childTexts(const CtrlPanelController &controller, const QModelIndex &parent) {
  const OutlineModel *model = controller.outlineModel();
  QStringList texts;
  for (int row = 0; row < model->rowCount(parent); ++row) texts << model->index(row, 0, parent).data().toString();
  return texts;
}

QStringList shownWidgets(const CtrlPanelController &controller) {
  QStringList names;
  for (const PropertyWidget *widget : controller.propertiesView->widgets()) names << widget->name;
  return names;
}
