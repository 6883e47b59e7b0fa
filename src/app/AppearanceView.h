// A plain view that notices, each time it is painted, whether the appearance (its resolved
// palette) changed; it then stores the new one as the current appearance and tells its delegate.
#pragma once

#include <QPointer>
#include <QWidget>

class AppearanceViewDelegate;

class AppearanceView : public QWidget {
  Q_OBJECT

public:
  explicit AppearanceView(QWidget *parent = nullptr);

  // The delegate must be a QObject as well, so that a destroyed delegate is never called.
  AppearanceViewDelegate *delegate() const;
  void setDelegate(AppearanceViewDelegate *delegate);

protected:
  void paintEvent(QPaintEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  void checkAppearance();

  QPointer<QObject> delegateObject_;
  AppearanceViewDelegate *delegateInterface_ = nullptr;
};
