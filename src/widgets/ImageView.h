// Shows a picture scaled down, never up, to fit, keeping its proportions, centred.
#pragma once

#include <QPixmap>
#include <QWidget>

class ImageView : public QWidget {
  Q_OBJECT

public:
  explicit ImageView(QWidget *parent = nullptr);

  // An empty pixmap clears the view.
  void setPixmap(const QPixmap &pixmap);
  const QPixmap &pixmap() const { return pixmap_; }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QPixmap pixmap_;
};
