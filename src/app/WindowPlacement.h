// Where the windows first appear: inside the screen's available area, the control panel beside
// the main window when there is room.
#pragma once

class QRect;
class QWidget;

// Sizes the windows to fit the area (leaving room for the title bar a window manager adds) and
// places the main window at its top left, the control panel beside it or, without room, at the
// area's right edge; the sheet is only made to fit (it is centred on the main window each time
// it is shown).
void placeWindows(QWidget *window, QWidget *panel, QWidget *sheet, const QRect &area);
