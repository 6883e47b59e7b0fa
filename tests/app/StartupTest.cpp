// The interface from launch to termination: the settings applied, the first launch of each
// version, help, the windows placed on the screen, the delegates, the named images, and the end of
// the event loop killing exactly the subprocesses the framework started.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "app/MainInterface.h"
#include "app/NamedImage.h"
#include "app/ToolTipStyle.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "image/FITSImageRep.h"
#include "image/ImageRepRegistry.h"
#include "image/RawImageRep.h"
#include "image/XISFImageRep.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace {

class UrlRecorder : public QObject {
  Q_OBJECT

public slots:
  void open(const QUrl &url) { urls << url.toString(); }

public:
  QStringList urls;
};

QString documentationPage() {
  return QStringLiteral(DOC_BASE_URL) + QString(appName()).remove(QLatin1Char('-')).toLower() + QLatin1Char('_') +
         appVersion();
}

pid_t spawnSleeper() {
  char program[] = "sleep", seconds[] = "100";
  char *arguments[] = {program, seconds, nullptr};
  pid_t pid = 0;
  return posix_spawnp(&pid, "sleep", nullptr, nullptr, arguments, environ) == 0 ? pid : -1;
}

// True when the child has ended and was reaped, by the framework or here.
bool ended(pid_t pid) {
  const pid_t result = waitpid(pid, nullptr, WNOHANG);
  return (result == -1 && errno == ECHILD) || result == pid;
}

class StartupTest : public testing::Test {
protected:
  void SetUp() override {
    defaults().clear();
    QDesktopServices::setUrlHandler(QUrl(QStringLiteral(DOC_BASE_URL)).scheme(), &recorder, "open");
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler(QUrl(QStringLiteral(DOC_BASE_URL)).scheme());
    for (kestor_subprocess_entry &entry : kestor_available_subprocesses) entry = kestor_subprocess_entry{};
  }

  // Launches the interface the way the program entry does and waits for the banner.
  std::unique_ptr<MainInterface> launch() {
    auto interface = std::make_unique<MainInterface>(makeFakeClient(&searches));
    interface->delegate.applicationWillFinishLaunching();
    interface->window->show();
    interface->delegate.applicationDidFinishLaunching();
    const QString banner = ApplicationDelegate::banner();
    EXPECT_TRUE(waitUntil(
        [&] { return !interface->kestor->messages.isEmpty() && interface->kestor->messages.last().endsWith(banner); }));
    return interface;
  }

  UrlRecorder recorder;
  std::vector<QString> searches;
};

// The log's order at start-up and the tool-tip delay stored are the program test's.
TEST_F(StartupTest, LaunchBrowsesForBothServiceTypesAndAppliesTheStoredColours) {
  const QColor green = markerColor(), red = graphColor2();
  UserDefaults::setColor(QStringLiteral("graphColor1"), QColor(10, 20, 30));
  auto interface = launch();
  EXPECT_EQ(searches, (std::vector<QString>{"_kestor._tcp@local.", "_indi._tcp@local."}));
  EXPECT_EQ(ToolTipStyle().styleHint(QStyle::SH_ToolTip_WakeUpDelay), 300);
  EXPECT_EQ(markerColor(), green);
  EXPECT_EQ(graphColor1(), QColor(10, 20, 30));
  EXPECT_EQ(graphColor2(), red);
  EXPECT_FALSE(interface->window->autoFillBackground()) << "no stored background: the window keeps its palette";
  QStringList decoders;
  for (const ImageRepClass &repClass : ImageRepRegistry::registeredClasses()) decoders << repClass.name;
  EXPECT_EQ(decoders.mid(0, 3), (QStringList{RawImageRep::imageRepClass().name, FITSImageRep::imageRepClass().name,
                                             XISFImageRep::imageRepClass().name}));
}

TEST_F(StartupTest, FirstLaunchOfEachVersionShowsThePageAndTheSheetOnceAndHelpThePage) {
  const QString marker = QStringLiteral("initialized_") + appVersion();
  EXPECT_TRUE(launch()->preferencePanel->isVisible());
  EXPECT_EQ(QSettings(defaults().fileName(), QSettings::IniFormat).value(marker).toString(), QStringLiteral("true"));
  auto second = launch();
  EXPECT_FALSE(second->preferencePanel->isVisible());
  second->mainUi.showHelpAction->trigger();
  EXPECT_EQ(recorder.urls, (QStringList{documentationPage() + QStringLiteral("#whats_new"), documentationPage()}));
  // With no browser (this platform has none), the address is shown.
  QDesktopServices::unsetUrlHandler(QUrl(QStringLiteral(DOC_BASE_URL)).scheme());
  second->mainUi.showHelpAction->trigger();
  auto *alert = second->window->findChild<QMessageBox *>();
  ASSERT_TRUE(alert && alert->isVisible());
  EXPECT_TRUE(alert->text().endsWith(documentationPage()));
  // Another version was launched before, this one not yet.
  second.reset();
  defaults().remove(marker);
  defaults().setValue(QStringLiteral("initialized_0.0.1"), true);
  EXPECT_TRUE(launch()->preferencePanel->isVisible());
}

TEST_F(StartupTest, TheInterfaceRegistersItsControllersPlacesItsWindowsAndFindsItsImages) {
  defaults().setValue(QStringLiteral("enableBLOBTransfer"), true);
  defaults().setValue(QStringLiteral("kestorLogLevel"), 2);
  defaults().setValue(QStringLiteral("locked"), true);
  MainInterface interface(makeFakeClient());
  const std::vector<KESTORDelegate *> delegates{&interface.ctrlPanelController, &interface.messagesController,
                                                &interface.servicesController};
  EXPECT_EQ(interface.kestor->delegates, delegates);
  EXPECT_TRUE(interface.mainUi.dashboardView->locked);
  EXPECT_TRUE(interface.mainUi.lockButton->isChecked());

  interface.window->show();
  interface.mainUi.panelAction->trigger();
  interface.mainUi.preferencesAction->trigger();
  EXPECT_TRUE(interface.preferencesUi.enableBLOBTransferButton->isChecked());
  EXPECT_EQ(interface.preferencesUi.logLevelPopup->currentIndex(), 2);
  const QRect screen = interface.window->screen()->availableGeometry();  // smaller than the main window's form
  for (const QWidget *window :
       std::initializer_list<const QWidget *>{interface.window.get(), interface.panel, interface.preferencePanel}) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(screen.contains(window->frameGeometry())) << window->windowTitle().toStdString();
  }
  QTest::mouseClick(interface.preferencesUi.buttonBox->button(QDialogButtonBox::Cancel), Qt::LeftButton);
  EXPECT_FALSE(interface.preferencePanel->isVisible());

  // The dashboard's colour buttons show their colour while enabled, and while disabled (nothing is
  // selected yet) a fill the toolbar shows through, as the other buttons of the toolbar grey out.
  const Ui::MainWindow &ui = interface.mainUi;
  for (const auto &[button, colour] : {std::pair{ui.grayButton, QColor(128, 128, 128)},
                                       {ui.redButton, Qt::red},
                                       {ui.greenButton, QColor(0, 128, 0)},
                                       {ui.blueButton, Qt::blue},
                                       {ui.yellowButton, Qt::yellow},
                                       {ui.magentaButton, Qt::magenta},
                                       {ui.cyanButton, Qt::cyan}}) {
    const auto centre = [button = button] { return button->grab().toImage().pixelColor(button->rect().center()); };
    EXPECT_FALSE(button->isEnabled());
    const QColor faded = centre();
    button->setEnabled(true);
    EXPECT_EQ(centre(), colour) << button->toolTip().toStdString();
    EXPECT_LT(faded.alpha(), 128) << button->toolTip().toStdString();
  }

  for (const char *name : {"Pin", "Unpin", "Folder", "NSStatusAvailable", "NSStatusPartiallyAvailable",
                           "NSStatusUnavailable", "NSStatusNone", "NSBonjour", "NSNetwork"})
    EXPECT_FALSE(namedImage(QString::fromLatin1(name)).pixmap(16, 16).isNull()) << name;
  EXPECT_TRUE(namedImage(QStringLiteral("NoSuchImage")).isNull());
}

// How the user ends the program: closing the main window or the Quit command.
class EndingTest : public StartupTest, public testing::WithParamInterface<bool> {};

TEST_P(EndingTest, EndsTheEventLoopAndKillsExactlyTheStartedSubprocesses) {
  defaults().setValue(QStringLiteral("initialized_") + appVersion(), true);
  const pid_t first = spawnSleeper(), last = spawnSleeper(), idle = spawnSleeper();
  ASSERT_TRUE(first > 0 && last > 0 && idle > 0);
  for (const auto &[index, pid, started] : {std::tuple{0, first, true}, {9, last, true}, {4, idle, false}}) {
    kestor_available_subprocesses[index].pid = pid;  // the idle one is known, but not started
    kestor_available_subprocesses[index].thread_started = started;
  }

  MainInterface interface(makeFakeClient());
  interface.window->show();
  interface.ctrlPanelController.showPanel();
  QTimer::singleShot(0, interface.window.get(), [&interface, quit = GetParam()] {
    quit ? interface.mainUi.quitAction->trigger() : (void)interface.window->close();
  });
  QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0) << "the event loop ends; the tool panel does not hold it";
  EXPECT_TRUE(waitUntil([&] { return ended(first) && ended(last); }));
  EXPECT_EQ(waitpid(idle, nullptr, WNOHANG), 0) << "an entry not marked as started is left alone";
  kill(idle, SIGKILL);
  waitpid(idle, nullptr, 0);
}

INSTANTIATE_TEST_SUITE_P(CloseOrQuit, EndingTest, testing::Bool());

}  // namespace

#include "StartupTest.moc"
