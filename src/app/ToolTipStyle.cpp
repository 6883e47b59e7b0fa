#include "app/ToolTipStyle.h"

#include "core/Settings.h"

int ToolTipStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                            QStyleHintReturn *returnData) const {
  const int base = QProxyStyle::styleHint(hint, option, widget, returnData);
  if (hint != SH_ToolTip_WakeUpDelay) return base;
  return int(UserDefaults::integerForKey(Setting::TOOL_TIP_DELAY.name(), base));
}
