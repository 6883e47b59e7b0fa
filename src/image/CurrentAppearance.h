#pragma once
// The appearance that the windows last showed, kept process-wide for drawing off-screen (the
// histogram picture). Absent until a window stores one; readers then use the default palette.

#include <QPalette>

#include <optional>

std::optional<QPalette> currentAppearance();
void setCurrentAppearance(const QPalette &palette);
