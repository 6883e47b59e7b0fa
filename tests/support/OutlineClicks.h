// Driving the control panel's outline the way a user does: rows found by their text, clicked
// with the mouse.
#pragma once

#include <QModelIndex>
#include <QString>
#include <QStringList>

class CtrlPanelController;
class QTreeView;

// The index of the row whose path of texts from the top is the given one ("device", "group",
// "property label"); invalid when there is none.
QModelIndex outlineIndex(const CtrlPanelController &controller, const QStringList &path);
// Clicks the row of the index in the middle of its text.
void clickRow(QTreeView *outline, const QModelIndex &index);
// The texts of the children of an index (the top level for an invalid one), in outline order.
QStringList childTexts(const CtrlPanelController &controller, const QModelIndex &parent = {});
// The names of the widgets shown on the control-panel board, in board order.
QStringList shownWidgets(const CtrlPanelController &controller);
