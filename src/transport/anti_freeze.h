// The process-wide idle hook. While one exists, every wait of a handler on the
// main thread (readability, the connect, the stream loops) is cut into slices of
// at most 100 ms, between which the hook's Process runs, and a plain connect
// becomes a timed connect of at most 120000 ms. Without one, waits are single
// blocking waits.
#pragma once

namespace vornel {

class TNetAntiFreezeBase {
 public:
  // At most one instance per process; a second one raises ENetException.
  TNetAntiFreezeBase();
  virtual ~TNetAntiFreezeBase();
  TNetAntiFreezeBase(const TNetAntiFreezeBase&) = delete;
  TNetAntiFreezeBase& operator=(const TNetAntiFreezeBase&) = delete;

  // The work between slices (the installer pumps the window's messages).
  virtual void Process() = 0;

  bool Active() const { return FActive; }
  void SetActive(bool AValue) { FActive = AValue; }
  // Longest slice of a wait, in milliseconds (never above 100).
  int IdleTimeOut() const { return FIdleTimeOut; }
  void SetIdleTimeOut(int AValue) { FIdleTimeOut = AValue; }
  bool OnlyWhenIdle() const { return FOnlyWhenIdle; }
  void SetOnlyWhenIdle(bool AValue) { FOnlyWhenIdle = AValue; }

  // True when a hook exists, is active and the caller is the main thread.
  static bool ShouldUse();
  // Runs the hook when it should be used and (AIdle, AOverride or not
  // OnlyWhenIdle) holds.
  static void DoProcess(bool AIdle = true, bool AOverride = false);
  // The slice length for waits while the hook is in use.
  static int SliceMs();
  // The longest connect while the hook is in use.
  static constexpr int ConnectTimeoutMs = 120000;

 private:
  bool FActive = true;
  int FIdleTimeOut = 250;
  bool FOnlyWhenIdle = true;
};

}  // namespace vornel
