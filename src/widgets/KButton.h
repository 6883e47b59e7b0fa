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
  // A borderless button draws its icon and title alone, without bevel or background, in its
  // whole rectangle (as a style sheet of "border: none; background: transparent" would, without
  // a style sheet's cost for each button).
  void setBorderless(bool borderless);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  ButtonType type_ = MomentaryPushIn;
  int momentaryState_ = OFF;
  bool borderless_ = false;
};
