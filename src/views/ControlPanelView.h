// The board of the control-panel window: the widgets of the selected group in one column.
#pragma once

#include "views/PropertiesView.h"

class ControlPanelView : public PropertiesView {
  Q_OBJECT

public:
  using PropertiesView::PropertiesView;

  WidgetGeometry::Board kind() const override { return WidgetGeometry::Board::ControlPanel; }
};
