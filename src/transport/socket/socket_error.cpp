#include "transport/socket/socket_error.h"

#include "platform/text.h"

namespace vornel {

std::u16string WSTranslateSocketErrorMsg(int errorCode) {
  switch (errorCode) {
    case 10004:
      return u"Interrupted system call.";
    case 10009:
      return u"Bad file number.";
    case 10013:
      return u"Access denied.";
    case 10014:
      return u"Buffer fault.";
    case 10022:
      return u"Invalid argument.";
    case 10024:
      return u"Too many open files.";
    case 10035:
      return u"Operation would block.";
    case 10036:
      return u"Operation now in progress.";
    case 10037:
      return u"Operation already in progress.";
    case 10038:
      return u"Socket operation on non-socket.";
    case 10039:
      return u"Destination address required.";
    case 10040:
      return u"Message too long.";
    case 10041:
      return u"Protocol wrong type for socket.";
    case 10042:
      return u"Bad protocol option.";
    case 10043:
      return u"Protocol not supported.";
    case 10044:
      return u"Socket type not supported.";
    case 10045:
      return u"Operation not supported on socket.";
    case 10046:
      return u"Protocol family not supported.";
    case 10047:
      return u"Address family not supported by protocol family.";
    case 10048:
      return u"Address already in use.";
    case 10049:
      return u"Cannot assign requested address.";
    case 10050:
      return u"Network is down.";
    case 10051:
      return u"Network is unreachable.";
    case 10052:
      return u"Net dropped connection or reset.";
    case 10053:
      return u"Software caused connection abort.";
    case 10054:
      return u"Connection reset by peer.";
    case 10055:
      return u"No buffer space available.";
    case 10056:
      return u"Socket is already connected.";
    case 10057:
      return u"Socket is not connected.";
    case 10058:
      return u"Cannot send or receive after socket is closed.";
    case 10059:
      return u"Too many references, cannot splice.";
    case 10060:
      return u"Connection timed out.";
    case 10061:
      return u"Connection refused.";
    case 10062:
      return u"Too many levels of symbolic links.";
    case 10063:
      return u"File name too long.";
    case 10064:
      return u"Host is down.";
    case 10065:
      return u"No route to host.";
    case 10066:
      return u"Directory not empty";
    case 11001:
      return u"Host not found.";
    default:
      return {};
  }
}

std::u16string SocketErrorMessage(int errorCode) {
  std::u16string message = u"Socket Error # ";
  message.append(IntToText(errorCode));
  message.append(u"\r\n");
  message.append(WSTranslateSocketErrorMsg(errorCode));
  return message;
}

void RaiseSocketError(int errorCode) {
  if (errorCode == Net_WSAENOTSOCK)
    throw ENetNotASocket(errorCode, SocketErrorMessage(errorCode));
  throw ENetSocketError(errorCode, SocketErrorMessage(errorCode));
}

}  // namespace vornel
