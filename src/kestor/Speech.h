// Speaks a text with the system voice where a speech engine is installed; does nothing otherwise.
#pragma once

#include <QString>

void speak(const QString &text);
