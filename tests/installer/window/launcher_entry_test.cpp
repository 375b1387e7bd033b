#include "installer/window/launcher_entry.h"

#include "installer/taskbar.h"
#include "installer/window/launcher_taskbar_sink.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QVariantMap>
#include <vector>

#include "qt_app.h"

namespace vornel {
namespace {

// A private session bus for one test, ended with it.
class TPrivateBus {
 public:
  TPrivateBus() {
    FDaemon.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (FDaemon.waitForStarted(5000) && FDaemon.waitForReadyRead(5000)) {
      FAddress = QString::fromUtf8(FDaemon.readLine()).trimmed();
    }
  }
  ~TPrivateBus() {
    FDaemon.kill();
    FDaemon.waitForFinished(5000);
  }
  const QString& Address() const { return FAddress; }

 private:
  QProcess FDaemon;
  QString FAddress;
};

struct TReceived {
  QString AppUri;
  double Progress;
  bool Visible;
  qint64 AtMs;
};

// Collects every launcher-entry signal on a bus.
class TListener : public QObject {
  Q_OBJECT

 public:
  explicit TListener(QDBusConnection bus) : FBus(std::move(bus)) {
    FClock.start();
    FBus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                 QStringLiteral("Update"), this, SLOT(OnUpdate(QString, QVariantMap)));
  }
  std::vector<TReceived> Received;

  // Runs the event loop until count signals arrived or the time is up.
  void WaitFor(size_t count, int ms) {
    QElapsedTimer t;
    t.start();
    while (Received.size() < count && t.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
  }

 public slots:
  void OnUpdate(const QString& appUri, const QVariantMap& properties) {
    Received.push_back({appUri, properties.value(QStringLiteral("progress")).toDouble(),
                        properties.value(QStringLiteral("progress-visible")).toBool(),
                        FClock.elapsed()});
  }

 private:
  QDBusConnection FBus;
  QElapsedTimer FClock;
};

class LauncherEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    ASSERT_FALSE(Bus.Address().isEmpty()) << "dbus-daemon did not start";
  }
  QDBusConnection Connect(const QString& name) {
    QDBusConnection c = QDBusConnection::connectToBus(Bus.Address(), name);
    EXPECT_TRUE(c.isConnected());
    return c;
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus(QStringLiteral("sender"));
    QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
  }
  TPrivateBus Bus;
};

TEST_F(LauncherEntryTest, SendsTheApplicationAndTheProgress) {
  TListener listener(Connect(QStringLiteral("listener")));
  TLauncherEntry entry(QStringLiteral("InstallTarvo.desktop"), Connect(QStringLiteral("sender")));
  entry.SetProgress(true, 0.25);
  listener.WaitFor(1, 3000);
  ASSERT_EQ(listener.Received.size(), 1u);
  EXPECT_EQ(listener.Received[0].AppUri, QStringLiteral("application://InstallTarvo.desktop"));
  EXPECT_DOUBLE_EQ(listener.Received[0].Progress, 0.25);
  EXPECT_TRUE(listener.Received[0].Visible);
}

TEST_F(LauncherEntryTest, MergesABurstAndEndsInTheLastState) {
  TListener listener(Connect(QStringLiteral("listener")));
  TLauncherEntry entry(QStringLiteral("InstallKveloWin.desktop"),
                       Connect(QStringLiteral("sender")));
  for (int i = 0; i <= 50; ++i)
    entry.SetProgress(true, i / 50.0);
  listener.WaitFor(2, 3000);
  // Let a third signal arrive if the sink (wrongly) sent one.
  listener.WaitFor(3, 300);
  ASSERT_EQ(listener.Received.size(), 2u);
  EXPECT_DOUBLE_EQ(listener.Received[0].Progress, 0.0);
  EXPECT_DOUBLE_EQ(listener.Received[1].Progress, 1.0);
  // Well apart; the exact gap depends on delivery, the sender keeps 100 ms.
  EXPECT_GE(listener.Received[1].AtMs - listener.Received[0].AtMs, 50);
}

TEST_F(LauncherEntryTest, HidingClampingAndRepeatedStates) {
  TListener listener(Connect(QStringLiteral("listener")));
  {
    TLauncherEntry entry(QStringLiteral("x.desktop"), Connect(QStringLiteral("sender")));
    entry.SetProgress(true, 7.0);  // clamped to 1
    listener.WaitFor(2, 250);
    entry.SetProgress(true, 1.0);   // unchanged: nothing to send
    entry.SetProgress(false, 0.5);  // hidden: the fraction goes to 0
    // A change inside the gap is held back; the destructor sends it.
    entry.SetProgress(true, 0.3);
  }
  listener.WaitFor(4, 500);
  ASSERT_EQ(listener.Received.size(), 3u);
  EXPECT_DOUBLE_EQ(listener.Received[0].Progress, 1.0);
  EXPECT_TRUE(listener.Received[0].Visible);
  EXPECT_FALSE(listener.Received[1].Visible);
  EXPECT_DOUBLE_EQ(listener.Received[1].Progress, 0.0);
  EXPECT_TRUE(listener.Received[2].Visible);
  EXPECT_DOUBLE_EQ(listener.Received[2].Progress, 0.3);
}

TEST_F(LauncherEntryTest, TheTaskbarButtonsProgressReachesTheLauncher) {
  TListener listener(Connect(QStringLiteral("listener")));
  TTaskbar taskbar(std::make_unique<TLauncherTaskbarSink>(std::make_unique<TLauncherEntry>(
      QStringLiteral("InstallTarvo.desktop"), Connect(QStringLiteral("sender")))));
  taskbar.SetProgressMaxValue(200);
  taskbar.SetProgressValue(50);
  taskbar.SetProgressState(tbpsNormal);
  listener.WaitFor(2, 3000);
  listener.WaitFor(3, 250);
  ASSERT_FALSE(listener.Received.empty());
  EXPECT_TRUE(listener.Received.back().Visible);
  EXPECT_DOUBLE_EQ(listener.Received.back().Progress, 0.25);
  const size_t before = listener.Received.size();
  taskbar.SetProgressState(tbpsNone);  // None hides the progress
  listener.WaitFor(before + 1, 3000);
  ASSERT_EQ(listener.Received.size(), before + 1);
  EXPECT_FALSE(listener.Received.back().Visible);
}

TEST(LauncherEntryNoBusTest, StaysSilentWithoutASessionBus) {
  test::App();
  qunsetenv("DBUS_SESSION_BUS_ADDRESS");
  qputenv("XDG_RUNTIME_DIR", "/nonexistent-runtime-dir");
  TLauncherEntry entry(QStringLiteral("x.desktop"));
  EXPECT_FALSE(entry.Connected());
  entry.SetProgress(true, 0.5);  // nothing happens, nothing fails
  entry.SetProgress(false, 0.0);
}

}  // namespace
}  // namespace vornel

#include "launcher_entry_test.moc"
