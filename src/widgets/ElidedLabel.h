// A one-line label that cuts its text with an ellipsis where it does not fit. Mouse presses pass
// through to the widget below, as with any label.
#pragma once

#include <QLabel>

class ElidedLabel : public QLabel {
  Q_OBJECT

public:
  explicit ElidedLabel(const QString &text, QWidget *parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  Qt::TextElideMode mode_;
};
