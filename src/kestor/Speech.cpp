#include "kestor/Speech.h"

#include <QTextToSpeech>

// One for the program's life, also after it failed: Qt 6.4's Flite engine crashes when made again
// after an earlier one was destroyed.
QTextToSpeech &speechSynthesizer() {
  static QTextToSpeech *const synthesizer = new QTextToSpeech;
  return *synthesizer;
}

void speak(const QString &text) {
  QTextToSpeech &synthesizer = speechSynthesizer();
  if (!synthesizer.availableVoices().isEmpty()) synthesizer.say(text);  // no voice: nothing is spoken
}
