// A push button with a state even when it is momentary: on/off buttons keep their state in the
// checked flag and a click toggles it; momentary buttons keep a stored state that clicks leave
// alone and only setState changes.
#pragma once

#include <QPushButton>

class KButton : public QPushButton {
  Q_OBJECT

public:
  enum ButtonType { MomentaryPushIn, OnOff };
  static constexpr int OFF = 0;
  static constexpr int ON = 1;

  explicit KButton(const QString &title, QWidget *parent = nullptr, ButtonType type = MomentaryPushIn);

  void setButtonType(ButtonType type);
  ButtonType buttonType() const { return type_; }
  int state() const;
  void setState(int state);

private:
  ButtonType type_ = MomentaryPushIn;
  int momentaryState_ = OFF;
};
