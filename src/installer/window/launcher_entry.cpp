#include "installer/window/launcher_entry.h"

#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>
#include <algorithm>

namespace vornel {

namespace {

// The session bus, or a disconnected connection when there is none. Looking the
// bus up only when an address is known keeps the program quiet without one.
QDBusConnection SessionBusIfAny() {
  // libdbus would otherwise try to autolaunch a bus through the X server.
  const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
      (runtimeDir.isEmpty() || !QFileInfo::exists(runtimeDir + QStringLiteral("/bus")))) {
    return QDBusConnection(QStringLiteral("vornel-no-session-bus"));
  }
  return QDBusConnection::sessionBus();
}

}  // namespace

TLauncherEntry::TLauncherEntry(QString appId, QDBusConnection bus, QObject* parent)
    : QObject(parent), FAppId(std::move(appId)), FBus(std::move(bus)) {
  FTimer.setSingleShot(true);
  connect(&FTimer, &QTimer::timeout, this, &TLauncherEntry::Flush);
}

TLauncherEntry::TLauncherEntry(QString appId, QObject* parent)
    : TLauncherEntry(std::move(appId), SessionBusIfAny(), parent) {}

TLauncherEntry::~TLauncherEntry() {
  if (FTimer.isActive())
    Send(FPending);
}

void TLauncherEntry::SetProgress(bool visible, double fraction) {
  FPending = TState{visible, visible ? std::clamp(fraction, 0.0, 1.0) : 0.0};
  if (!Connected())
    return;
  if (FEverSent && FPending == FSent && !FTimer.isActive())
    return;
  if (!FEverSent || FSinceSent.elapsed() >= MinIntervalMs) {
    FTimer.stop();
    Send(FPending);
  } else if (!FTimer.isActive()) {
    FTimer.start(static_cast<int>(MinIntervalMs - FSinceSent.elapsed()));
  }
}

void TLauncherEntry::Flush() {
  if (FPending == FSent)
    return;
  Send(FPending);
}

void TLauncherEntry::Send(const TState& state) {
  if (!Connected())
    return;
  QDBusMessage signal = QDBusMessage::createSignal(
      ObjectPath(), QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
  QVariantMap properties;
  properties.insert(QStringLiteral("progress"), state.Fraction);
  properties.insert(QStringLiteral("progress-visible"), state.Visible);
  signal << AppUri() << properties;
  FBus.send(signal);
  FSent = state;
  FEverSent = true;
  FSinceSent.start();
}

}  // namespace vornel
