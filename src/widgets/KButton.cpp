#include "widgets/KButton.h"

KButton::KButton(const QString &title, QWidget *parent, ButtonType type) : QPushButton(title, parent) {
  setAutoDefault(false);
  setFocusPolicy(Qt::NoFocus);
  setButtonType(type);
}

void KButton::setButtonType(ButtonType type) {
  type_ = type;
  setCheckable(type == OnOff);
}

int KButton::state() const { return type_ == OnOff ? (isChecked() ? ON : OFF) : momentaryState_; }

void KButton::setState(int state) {
  if (type_ == OnOff) {
    setChecked(state != OFF);
  } else {
    momentaryState_ = state;
  }
}
