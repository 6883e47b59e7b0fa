// A colour well: a button showing its colour that opens the colour chooser when pressed.
#pragma once

#include <QColor>
#include <QPushButton>

class ColorWell : public QPushButton {
  Q_OBJECT

public:
  explicit ColorWell(QWidget *parent = nullptr);

  QColor color() const { return current_; }
  void setColor(const QColor &color);

private:
  void choose();

  QColor current_ = Qt::white;
};
