// A dashboard 300 points high with its whole toolbar wired as in the main window, holding
// property widgets of chosen heights, and the mouse and log helpers the board tests share.
#pragma once

#include <QAction>
#include <QPushButton>
#include <string>
#include <vector>

#include "WidgetFixture.h"
#include "widgets/ElidedLabel.h"

// One line the library wrote to its log hook, with the log level in force when it came.
struct LoggedLine {
  std::string text;
  uint32_t level;
};

class BoardFixture : public WidgetFixture {
public:
  BoardFixture();
  ~BoardFixture() override;

  // A widget for a new one-item property of that name on the dashboard, with the given frame
  // height; the dashboard is laid out again.
  PropertyWidget *pinned(const std::string &name, int height = 50);
  // Several such widgets, named by the letters of the text.
  std::vector<PropertyWidget *> pinnedAll(const std::string &letters, int height = 50);
  // The property names of the dashboard's widgets in board order.
  std::string order() const;

  // A click on the widget's title, which passes the click on to the board.
  static void click(PropertyWidget *widget, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  // A click on the dashboard at a point given from its bottom left.
  void clickBoard(QPointF point);
  // A drag that grabs the widget by its title and lets go over the dashboard point (bottom-left
  // origin), moving there in a few steps.
  void drag(PropertyWidget *widget, QPointF point);
  // The dashboard point (bottom-left origin) of a top-left position in the dashboard.
  QPoint topLeftOnBoard(QPointF point) const;
  // The widget's frame origin on the dashboard, bottom-left origin.
  static QPointF origin(const PropertyWidget *widget);

  // Collects the library's log lines from now on.
  void captureLog();
  static std::vector<LoggedLine> logged;

  QPushButton lockButton{QStringLiteral("Lock")}, unlockButton{QStringLiteral("Unlock")};
  QAction lockMenu{QStringLiteral("Lock Dashboard")};
  QPushButton breakButton, infoButton, upButton, downButton, deleteButton;
  QPushButton grayButton, redButton, greenButton, blueButton, yellowButton, magentaButton, cyanButton;
};
