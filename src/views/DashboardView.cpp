#include "views/DashboardView.h"

#include "core/Settings.h"

void DashboardView::awakeFromNib() {
  locked = UserDefaults::boolForKey(QStringLiteral("locked"), false);
  if (lockButton) {
    setButtonState(lockButton, locked);
  }
  if (unlockButton) {
    setButtonState(unlockButton, !locked);
  }
}
