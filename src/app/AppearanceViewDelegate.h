// Told by an AppearanceView that the appearance of the windows changed.
#pragma once

class AppearanceViewDelegate {
public:
  virtual ~AppearanceViewDelegate() = default;
  // Runs on a thread of the global pool, never on the main thread: an implementation that
  // touches widgets must hand that work to the main thread itself.
  virtual void updateAppearance() = 0;
};
