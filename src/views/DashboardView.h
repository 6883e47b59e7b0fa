// The board that holds the copies pinned from the control panel, in columns that wrap at its
// height.
#pragma once

#include "views/PropertiesView.h"

class DashboardView : public PropertiesView {
  Q_OBJECT

public:
  using PropertiesView::PropertiesView;

  WidgetGeometry::Board kind() const override { return WidgetGeometry::Board::Dashboard; }

  // Restores the lock from the "locked" setting and shows it on the lock buttons; call it
  // once the outlets are set. It does not lay out.
  void awakeFromNib();
};
