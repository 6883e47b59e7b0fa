// Runs the image tests with a GUI application on the offscreen platform and a scratch settings
// folder, so neither a display nor the user's own settings are touched.

#include "image/ImageRepRegistry.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", scratch.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ImageRepRegistry::registerImageRepClasses();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
