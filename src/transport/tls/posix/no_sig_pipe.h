// OpenSSL writes to its socket with write(2), which raises SIGPIPE when the peer
// has gone. While a guard lives, SIGPIPE is blocked on this thread, and one that
// the guarded calls raised is taken back, so the write just fails with EPIPE.
#pragma once

#include <signal.h>

namespace vornel {

class TNoSigPipe {
 public:
  TNoSigPipe();
  ~TNoSigPipe();
  TNoSigPipe(const TNoSigPipe&) = delete;
  TNoSigPipe& operator=(const TNoSigPipe&) = delete;

 private:
  sigset_t FOldMask;
  bool FWasPending = false;
};

}  // namespace vornel
