// Launching: the order of the log at start-up, the first launch of each version, the tool-tip
// delay, the colours from the settings and the documentation page.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "app/MainInterface.h"
#include "app/ToolTipStyle.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "image/FITSImageRep.h"
#include "image/ImageRepRegistry.h"
#include "image/RawImageRep.h"
#include "image/XISFImageRep.h"

#include <QAction>
#include <QDesktopServices>
#include <QMessageBox>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

class UrlRecorder : public QObject {
  Q_OBJECT

public slots:
  void open(const QUrl &url) { urls << url; }

public:
  QList<QUrl> urls;
};

// The entries of the log without their time stamps.
QStringList logTexts(const KESTOR &kestor) {
  QStringList texts;
  for (const QString &entry : kestor.messages) texts << entry.section(QLatin1Char(' '), 1);
  return texts;
}

QString expectedBanner() { return ApplicationDelegate::banner(); }

QString documentationPage() {
  return QStringLiteral(DOC_BASE_URL) + QString(appName()).remove(QLatin1Char('-')).toLower() + QLatin1Char('_') +
         appVersion();
}

class StartupTest : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    defaults().sync();
    QDesktopServices::setUrlHandler(QUrl(QStringLiteral(DOC_BASE_URL)).scheme(), &recorder, "open");
  }
  void TearDown() override { QDesktopServices::unsetUrlHandler(QUrl(QStringLiteral(DOC_BASE_URL)).scheme()); }

  // Launches the interface the way the program entry does and waits for the banner.
  std::unique_ptr<MainInterface> launch() {
    auto interface = std::make_unique<MainInterface>(makeFakeClient(&searches));
    interface->delegate.applicationWillFinishLaunching();
    interface->window->show();
    interface->delegate.applicationDidFinishLaunching();
    KESTOR *kestor = interface->kestor.get();
    EXPECT_TRUE(waitUntil([kestor] { return logTexts(*kestor).contains(expectedBanner()); }));
    return interface;
  }

  // The settings as they are on disk, read by a store of their own.
  QVariant storedOnDisk(const QString &key) { return QSettings(defaults().fileName(), QSettings::IniFormat).value(key); }

  UrlRecorder recorder;
  std::vector<QString> searches;
};

TEST_F(StartupTest, LogsStartedAfterTheAttachNoticeThenTheBanner) {
  defaults().setValue(QStringLiteral("kestorLogLevel"), 1);
  auto interface = launch();
  const QStringList texts = logTexts(*interface->kestor);
  const qsizetype attached = texts.indexOf(QStringLiteral("KESTOR Client attached..."));
  const qsizetype started = texts.indexOf(QStringLiteral("KESTOR Started..."));
  ASSERT_GE(attached, 0) << texts.join(QLatin1Char('|')).toStdString();
  EXPECT_LT(attached, started);
  EXPECT_EQ(started + 1, texts.size() - 1) << "the banner directly follows the start notice";
  EXPECT_EQ(texts.last(), expectedBanner());
  // Started as a client that browses for both service types.
  EXPECT_EQ(searches, (std::vector<QString>{"_kestor._tcp@local.", "_indi._tcp@local."}));
  EXPECT_TRUE(expectedBanner().startsWith(appName() + QLatin1Char(' ') + appVersion() + QLatin1Char('_') + appBuild() +
                                          QStringLiteral(" KESTOR 2.0_88 OS ")));
}

TEST_F(StartupTest, FirstLaunchOfEachVersionShowsThePageAndTheSheetOnce) {
  const QString marker = QStringLiteral("initialized_") + appVersion();
  {
    auto first = launch();
    ASSERT_EQ(recorder.urls.size(), 1);
    EXPECT_EQ(recorder.urls.first().toString(), documentationPage() + QStringLiteral("#whats_new"));
    EXPECT_TRUE(first->preferencePanel->isVisible());
    EXPECT_EQ(first->preferencePanel->parentWidget(), first->window.get());
    EXPECT_EQ(storedOnDisk(marker).toString(), QStringLiteral("true"));
  }
  {
    auto second = launch();
    EXPECT_EQ(recorder.urls.size(), 1);
    EXPECT_FALSE(second->preferencePanel->isVisible());
  }
  // Another version was launched before, this one not yet.
  defaults().remove(marker);
  defaults().setValue(QStringLiteral("initialized_0.0.1"), true);
  {
    auto third = launch();
    EXPECT_EQ(recorder.urls.size(), 2);
    EXPECT_TRUE(third->preferencePanel->isVisible());
  }
}

TEST_F(StartupTest, ToolTipDelayIsStoredAsThreeHundredOnEveryLaunch) {
  defaults().setValue(QStringLiteral("NSInitialToolTipDelay"), 5000);
  auto interface = launch();
  EXPECT_EQ(UserDefaults::integerForKey(QStringLiteral("NSInitialToolTipDelay"), 0), 300);
  ToolTipStyle style;
  EXPECT_EQ(style.styleHint(QStyle::SH_ToolTip_WakeUpDelay), 300);
}

TEST_F(StartupTest, ColoursComeFromTheSettingsWhenStored) {
  const QColor green = markerColor(), red = graphColor2();
  UserDefaults::setColor(QStringLiteral("graphColor1"), QColor(10, 20, 30));
  auto interface = launch();
  EXPECT_EQ(markerColor(), green);
  EXPECT_EQ(graphColor1(), QColor(10, 20, 30));
  EXPECT_EQ(graphColor2(), red);
  EXPECT_FALSE(interface->window->autoFillBackground()) << "no stored background: the window keeps its palette";
}

TEST_F(StartupTest, HelpFromTheMenuOpensThePageWithoutAnchor) {
  defaults().setValue(QStringLiteral("initialized_") + appVersion(), true);
  auto interface = launch();
  ASSERT_TRUE(recorder.urls.isEmpty());
  interface->mainUi.showHelpAction->trigger();
  ASSERT_EQ(recorder.urls.size(), 1);
  EXPECT_EQ(recorder.urls.first().toString(), documentationPage());

  // With no browser (this platform has none), the address is shown.
  QDesktopServices::unsetUrlHandler(QUrl(QStringLiteral(DOC_BASE_URL)).scheme());
  interface->mainUi.showHelpAction->trigger();
  auto *alert = interface->window->findChild<QMessageBox *>();
  ASSERT_TRUE(alert && alert->isVisible());
  EXPECT_TRUE(alert->text().endsWith(documentationPage()));
}

TEST_F(StartupTest, ImageRepresentationsAreRegisteredRawFITSXISFBeforeLaunchingFinishes) {
  ApplicationDelegate delegate;
  delegate.applicationWillFinishLaunching();
  QStringList names;
  for (const ImageRepClass &repClass : ImageRepRegistry::registeredClasses()) names << repClass.name;
  const QStringList expected{RawImageRep::imageRepClass().name, FITSImageRep::imageRepClass().name,
                             XISFImageRep::imageRepClass().name};
  EXPECT_EQ(names.mid(0, 3), expected);
}

TEST_F(StartupTest, LaunchingTakesTheProcessActivity) {
  auto interface = launch();
  ASSERT_TRUE(ApplicationDelegate::activityToken.has_value());
  EXPECT_EQ(ApplicationDelegate::activityToken->reason, QStringLiteral("Good Reason"));
}

}  // namespace

#include "StartupTest.moc"
