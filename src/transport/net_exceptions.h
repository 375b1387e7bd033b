// The failures of the I/O handler, its buffers and the TCP connection.
#pragma once

#include <string>

#include "transport/socket/net_exception.h"

namespace vornel {

class ENetReadTimeout : public ENetException {
 public:
  ENetReadTimeout() : ENetException(u"Read timed out.") {}
};

class ENetNotConnected : public ENetException {
 public:
  ENetNotConnected() : ENetException(u"Not Connected") {}
};

class ENetClosedSocket : public ENetException {
 public:
  ENetClosedSocket() : ENetException(u"Disconnected.") {}
};

class ENetReadLnMaxLineLengthExceeded : public ENetException {
 public:
  ENetReadLnMaxLineLengthExceeded() : ENetException(u"Max line length exceeded.") {}
};

class ENetReadLnWaitMaxAttemptsExceeded : public ENetException {
 public:
  ENetReadLnWaitMaxAttemptsExceeded() : ENetException(u"Max line read attempts exceeded.") {}
};

class ENetIOHandler : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetIOHandlerStreamDataTooLarge : public ENetIOHandler {
 public:
  ENetIOHandlerStreamDataTooLarge() : ENetIOHandler(u"Data is too large for stream") {}
};

class ENetIOHandlerRequiresLargeStream : public ENetIOHandler {
 public:
  ENetIOHandlerRequiresLargeStream()
      : ENetIOHandler(u"Set LargeStream to True to send streams greater than 2GB") {}
};

class ENetTCPConnectionError : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetNoDataToRead : public ENetTCPConnectionError {
 public:
  ENetNoDataToRead() : ENetTCPConnectionError(u"No data to read.") {}
};

class ENetTooMuchDataInBuffer : public ENetException {
 public:
  ENetTooMuchDataInBuffer() : ENetException(u"Too much data in buffer.") {}
};

class ENetNotEnoughDataInBuffer : public ENetException {
 public:
  ENetNotEnoughDataInBuffer(int ARequested, int AAvailable);
};

class ENetAlreadyConnected : public ENetException {
 public:
  ENetAlreadyConnected() : ENetException(u"Already connected.") {}
};

class ENetHostRequired : public ENetException {
 public:
  ENetHostRequired() : ENetException(u"A Host is required") {}
};

class ENetPortRequired : public ENetException {
 public:
  ENetPortRequired() : ENetException(u"A Port is required") {}
};

class ENetConnectTimeout : public ENetException {
 public:
  ENetConnectTimeout() : ENetException(u"Connect timed out.") {}
};

// A timed connect that failed without a usable socket error code.
class ENetConnectException : public ENetException {
 public:
  using ENetException::ENetException;
};

}  // namespace vornel
