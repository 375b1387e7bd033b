// Windows has no SIGPIPE: a send on a socket whose peer has gone just fails with
// its WinSock error. The guard exists so the callers read the same on both
// systems.
#pragma once

namespace vornel {

class TNoSigPipe {
 public:
  TNoSigPipe() = default;
  ~TNoSigPipe() {}  // user-provided, so a guard is no unused variable
  TNoSigPipe(const TNoSigPipe&) = delete;
  TNoSigPipe& operator=(const TNoSigPipe&) = delete;
};

}  // namespace vornel
