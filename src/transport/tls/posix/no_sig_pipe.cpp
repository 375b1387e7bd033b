#include "no_sig_pipe.h"

#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace vornel {

namespace {
sigset_t SigPipeSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGPIPE);
  return set;
}
}  // namespace

TNoSigPipe::TNoSigPipe() {
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  FWasPending = sigismember(&pending, SIGPIPE) == 1;
  const sigset_t set = SigPipeSet();
  pthread_sigmask(SIG_BLOCK, &set, &FOldMask);
}

TNoSigPipe::~TNoSigPipe() {
  const int savedErrno = errno;
  if (!FWasPending) {
    const sigset_t set = SigPipeSet();
    const timespec zero{0, 0};
    while (sigtimedwait(&set, nullptr, &zero) == SIGPIPE) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &FOldMask, nullptr);
  errno = savedErrno;
}

}  // namespace vornel
