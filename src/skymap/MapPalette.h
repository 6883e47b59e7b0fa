// The colours of the sky map for the widget's current appearance (light or dark).
#pragma once

#include <QColor>

class QWidget;

struct MapPalette {
  bool light = true;                   // a light appearance
  QColor background;                   // the window background
  QColor grid;                         // light grey in a light appearance, dark grey in a dark one
  QColor secondaryLabel;               // azimuth labels, figures and star names
  QColor stars;                        // black in a light appearance, white in a dark one
  QColor milkyWay{128, 128, 128, 26};  // white of level 0.5, alpha 0.1
  QColor deepSky{255, 128, 0, 77};     // red and green of orange, alpha 0.3
  QColor orange{255, 128, 0};
  QColor red{255, 0, 0};
  QColor white{255, 255, 255};
  QColor yellow{255, 255, 0};
  QColor lightGray{170, 170, 170};

  // The colours for a widget: its palette's window colour decides light or dark.
  static MapPalette of(const QWidget &widget);
};
