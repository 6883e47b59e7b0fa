// The system console: whole lines written as plain text (never read as a format), from any thread.
#pragma once

#include <QByteArray>
#include <functional>

void consoleLine(const QByteArray &line);
// Replaces where lines go (stderr by default); an empty function restores stderr. Tests only.
void setConsoleSink(std::function<void(const QByteArray &line)> sink);
