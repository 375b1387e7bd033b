// The plain TCP handler and the default handler class: resolves the target,
// connects (timed on a second thread when ConnectTimeout is set), and notices
// arrived bytes and an ended connection in Connected.
#pragma once

#include "transport/io_handler_socket.h"

namespace vornel {

class TNetIOHandlerStack : public TNetIOHandlerSocket {
 public:
  TNetIOHandlerStack() = default;

  // A refill that does not wait, then the socket rule.
  bool Connected() override;

 protected:
  // The socket half, then resolving, the peer, and the connect.
  void ConnectClient() override;
  // The blocking connect of the socket, run by ConnectClient either directly or
  // on the thread of a timed connect.
  virtual void DoConnect();

 private:
  void TimedConnect(int ATimeout);
};

}  // namespace vornel
