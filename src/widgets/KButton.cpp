#include "widgets/KButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

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

void KButton::setBorderless(bool borderless) {
  borderless_ = borderless;
  update();
}

void KButton::paintEvent(QPaintEvent *event) {
  if (!borderless_) {
    QPushButton::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  painter.drawControl(QStyle::CE_PushButtonLabel, option);
}
