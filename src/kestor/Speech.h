// Speaks texts with the default voice of the speech engine Qt finds first (Flite on Debian).
#pragma once

#include <QString>

class QTextToSpeech;

// Hands the text to the synthesizer's voice. Where no engine, voice or audio device exists nothing
// is heard and nothing is reported.
void speak(const QString &text);
// The one synthesizer of the program, made on the main thread at its first use. Once it failed (no
// audio device) it stays failed.
QTextToSpeech &speechSynthesizer();
