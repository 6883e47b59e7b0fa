#include "views/DashboardView.h"

#include "core/Settings.h"

void DashboardView::awakeFromNib() {
  locked = UserDefaults::read(Setting::LOCKED);
  if (lockButton) {
    setButtonState(lockButton, locked);
  }
  if (unlockButton) {
    setButtonState(unlockButton, !locked);
  }
}
