#include "app/AppearanceView.h"

#include "app/AppearanceViewDelegate.h"
#include "core/Dispatch.h"
#include "image/CurrentAppearance.h"

#include <QEvent>

AppearanceView::AppearanceView(QWidget *parent) : QWidget(parent) {}

AppearanceViewDelegate *AppearanceView::delegate() const { return delegateObject_ ? delegateInterface_ : nullptr; }

void AppearanceView::setDelegate(AppearanceViewDelegate *delegate) {
  delegateInterface_ = delegate;
  delegateObject_ = dynamic_cast<QObject *>(delegate);
}

void AppearanceView::paintEvent(QPaintEvent *event) {
  QWidget::paintEvent(event);
  checkAppearance();
}

void AppearanceView::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  switch (event->type()) {
  case QEvent::PaletteChange:
  case QEvent::StyleChange:
  case QEvent::ThemeChange: update(); break;
  default: break;
  }
}

void AppearanceView::checkAppearance() {
  const QPalette appearance = palette();
  if (currentAppearance() == appearance) return;
  setCurrentAppearance(appearance);
  QPointer<QObject> object = delegateObject_;
  AppearanceViewDelegate *receiver = delegateInterface_;
  if (!object) return;
  asyncGlobal([object, receiver] {
    if (object) receiver->updateAppearance();
  });
}
