#include "kestor/Speech.h"

#ifdef KESTOR_HAVE_TEXTTOSPEECH
#include <QTextToSpeech>

void speak(const QString &text) {
  static QTextToSpeech *speech = new QTextToSpeech;             // main thread; lives as long as the program
  if (!speech->availableVoices().isEmpty()) speech->say(text);  // no voice: nothing is spoken
}
#else
void speak(const QString &text) { (void)text; }
#endif
