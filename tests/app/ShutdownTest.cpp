// Termination: the framework is stopped and exactly the subprocesses it marks as started are
// killed and reaped; closing the last window ends the event loop through the same path.
#include "EventLoopWait.h"
#include "Fakes.h"
#include "app/MainInterface.h"
#include "core/Globals.h"

#include <QSettings>

#include <QApplication>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace {

pid_t spawnSleeper() {
  char program[] = "sleep";
  char seconds[] = "100";
  char *arguments[] = {program, seconds, nullptr};
  pid_t pid = 0;
  return posix_spawnp(&pid, "sleep", nullptr, nullptr, arguments, environ) == 0 ? pid : -1;
}

// True when the child has ended and was reaped, by the framework or here.
bool ended(pid_t pid) {
  int status = 0;
  const pid_t result = waitpid(pid, &status, WNOHANG);
  return (result == -1 && errno == ECHILD) || result == pid;
}

class ShutdownTest : public testing::Test {
protected:
  void TearDown() override {
    for (kestor_subprocess_entry &entry : kestor_available_subprocesses) entry = kestor_subprocess_entry{};
  }
};

TEST_F(ShutdownTest, KillsExactlyTheStartedSubprocesses) {
  const pid_t first = spawnSleeper(), last = spawnSleeper(), idle = spawnSleeper();
  ASSERT_GT(first, 0);
  ASSERT_GT(last, 0);
  ASSERT_GT(idle, 0);
  kestor_available_subprocesses[0].pid = first;
  kestor_available_subprocesses[0].thread_started = true;
  kestor_available_subprocesses[9].pid = last;
  kestor_available_subprocesses[9].thread_started = true;
  kestor_available_subprocesses[4].pid = idle;  // known, but not started

  ApplicationDelegate delegate;
  delegate.applicationWillTerminate();

  EXPECT_TRUE(waitUntil([&] { return ended(first); }));
  EXPECT_TRUE(waitUntil([&] { return ended(last); }));
  EXPECT_EQ(waitpid(idle, nullptr, WNOHANG), 0) << "an entry not marked as started is left alone";
  kill(idle, SIGKILL);
  waitpid(idle, nullptr, 0);
}

// How the user ends the program: closing the main window or the Quit command.
enum class Ending { CloseMainWindow, QuitCommand };

class EndingTest : public ShutdownTest, public testing::WithParamInterface<Ending> {};

TEST_P(EndingTest, EndsTheEventLoopAndKillsTheStartedSubprocesses) {
  defaults().clear();
  defaults().setValue(QStringLiteral("initialized_") + appVersion(), true);
  const pid_t driver = spawnSleeper();
  ASSERT_GT(driver, 0);
  kestor_available_subprocesses[3].pid = driver;
  kestor_available_subprocesses[3].thread_started = true;

  MainInterface interface(makeFakeClient());
  interface.window->show();
  interface.ctrlPanelController.showPanel();
  const Ending ending = GetParam();
  QTimer::singleShot(0, interface.window.get(), [&interface, ending] {
    if (ending == Ending::CloseMainWindow)
      interface.window->close();
    else
      interface.mainUi.quitAction->trigger();
  });
  QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0) << "the event loop ends; the tool panel does not hold it";
  EXPECT_TRUE(waitUntil([&] { return ended(driver); })) << "termination killed the started subprocess";
}

INSTANTIATE_TEST_SUITE_P(Endings, EndingTest, testing::Values(Ending::CloseMainWindow, Ending::QuitCommand));

}  // namespace
