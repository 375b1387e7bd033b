// The system's socket calls that the TLS layer makes beside OpenSSL on the
// connection's socket: the last socket error (errno on Linux, WSAGetLastError on
// Windows, which OpenSSL's socket reads and writes set), the wait of a handshake
// taken in slices, and the non-blocking mode of a single step.
#pragma once

namespace vornel {

// The system's own number of the last socket error, and setting it (0 clears).
int LastSocketError();
void SetLastSocketError(int error);

// Sets the last socket error to the one of a wait that ran out.
void SetSocketTimedOut();

// The error of a socket call that would have had to wait: a non-blocking socket
// with nothing to do, or a blocking one whose time-out ran out.
bool SocketWouldBlock(int error);

// The WinSock number of a system error number (0 stays 0).
int WinSockNumberOf(int error);

// Waits up to ms milliseconds until the socket can be read (or written when
// forWrite): 1 ready, 0 not yet (the time ran out or a signal came), -1 failed
// with the last socket error set.
int WaitSocketReady(int socket, bool forWrite, int ms);

// Keeps the last socket error across calls that may change it.
class TKeepSocketError {
 public:
  TKeepSocketError() : FError(LastSocketError()) {}
  ~TKeepSocketError() { SetLastSocketError(FError); }
  TKeepSocketError(const TKeepSocketError&) = delete;
  TKeepSocketError& operator=(const TKeepSocketError&) = delete;

 private:
  int FError;
};

// Puts a socket into non-blocking mode for the lifetime of the object (when
// active); the mode it had comes back afterwards, the last socket error kept.
class TSocketNoWait {
 public:
  TSocketNoWait(int socket, bool active);
  ~TSocketNoWait();
  TSocketNoWait(const TSocketNoWait&) = delete;
  TSocketNoWait& operator=(const TSocketNoWait&) = delete;

 private:
  int FSocket;
  int FRestore = -1;  // what the destructor puts back; -1: nothing to do
};

}  // namespace vornel
