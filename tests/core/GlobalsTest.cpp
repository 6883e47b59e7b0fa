#include <gtest/gtest.h>

#include "core/Globals.h"

namespace {

TEST(Globals, AppNameIsTheLastPieceOfTheIdentifier) {
  const struct {
    const char *identifier;
    const char *expected;
  } cases[] = {{"one.two.Panel", "Panel"}, {"Panel", "Panel"}, {"a.b.", ""}, {"", ""}};
  for (const auto &c : cases) EXPECT_EQ(lastIdentifierPiece(QString::fromUtf8(c.identifier)), QString::fromUtf8(c.expected));
  EXPECT_EQ(appName(), lastIdentifierPiece(mainBundle().identifier));
  EXPECT_FALSE(appName().isEmpty());
}

TEST(Globals, LiveColoursStartAsTheSystemColoursAndCanBeReplaced) {
  EXPECT_EQ(markerColor(), QColor(52, 199, 89));
  EXPECT_EQ(graphColor1(), QColor(0, 122, 255));
  EXPECT_EQ(graphColor2(), QColor(255, 59, 48));
  const QColor saved = markerColor();
  markerColor() = Qt::magenta;
  EXPECT_EQ(markerColor(), QColor(Qt::magenta));
  markerColor() = saved;
}

}  // namespace
