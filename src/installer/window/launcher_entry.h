// The taskbar button's progress on Linux desktops: the launcher-entry signal
// (com.canonical.Unity.LauncherEntry, member Update) on the session bus, which the
// KDE, Ubuntu and dash-to-dock task bars show on the application's button.
#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

namespace vornel {

class TLauncherEntry : public QObject {
  Q_OBJECT

 public:
  // The smallest gap between two signals; changes in between are merged and the
  // last of them is sent when the gap has passed.
  static constexpr int MinIntervalMs = 100;

  // appId is the desktop-file id ("InstallTarvo.desktop"); the signal names the
  // application as "application://" + appId. Without a bus nothing is ever sent.
  TLauncherEntry(QString appId, QDBusConnection bus, QObject* parent = nullptr);
  explicit TLauncherEntry(QString appId, QObject* parent = nullptr);
  // Sends a change still held back, so the bar ends in the last state.
  ~TLauncherEntry() override;

  // visible false hides the progress; fraction is clamped to 0..1.
  void SetProgress(bool visible, double fraction);

  bool Connected() const { return FBus.isConnected(); }
  QString AppUri() const { return QStringLiteral("application://") + FAppId; }
  static QString ObjectPath() { return QStringLiteral("/com/vornel/installer/LauncherEntry"); }

 private:
  struct TState {
    bool Visible = false;
    double Fraction = 0.0;
    bool operator==(const TState&) const = default;
  };

  void Flush();
  void Send(const TState& state);

  QString FAppId;
  QDBusConnection FBus;
  QTimer FTimer;
  QElapsedTimer FSinceSent;
  TState FSent;     // what the task bar was last told
  TState FPending;  // the newest state
  bool FEverSent = false;
};

}  // namespace vornel
