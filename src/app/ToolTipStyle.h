// The application style, with the tool-tip delay taken from the "NSInitialToolTipDelay" setting.
#pragma once

#include <QProxyStyle>

class ToolTipStyle : public QProxyStyle {
  Q_OBJECT

public:
  using QProxyStyle::QProxyStyle;

  int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                QStyleHintReturn *returnData = nullptr) const override;
};
