#include "transport/io_handler.h"

#include <algorithm>

#include "platform/clock.h"
#include "transport/anti_freeze.h"
#include "transport/net_exceptions.h"
#include "transport/socket/socket_error.h"

namespace vornel {

TNetIOHandler::TNetIOHandler()
    : FInputBuffer(std::make_unique<TNetBuffer>(
          [this](TNetBuffer&, int ABytes) { BufferRemoveNotify(ABytes); })) {}

TNetIOHandler::~TNetIOHandler() = default;

void TNetIOHandler::BufferRemoveNotify(int ABytes) {
  DoWork(wmRead, ABytes);
}

TNetEncoding TNetIOHandler::EncodingFor(TNetEncoding AByteEncoding) const {
  return AByteEncoding ? AByteEncoding : NetEncodingOrDefault(FDefStringEncoding);
}

void TNetIOHandler::Notification(TNetComponent& AComponent) {
  if (&AComponent == FIntercept)
    FIntercept = nullptr;
  TNetComponent::Notification(AComponent);
}

void TNetIOHandler::SetIntercept(TNetConnectionIntercept* AValue) {
  SetWatched(FIntercept, AValue);
}

std::u16string TNetIOHandler::GetDestination() const {
  std::u16string host = FHost;
  if (host.find(u':') != std::u16string::npos)
    host = u"[" + host + u"]";
  std::u16string port;
  for (int value = FPort; value > 0 || port.empty(); value /= 10) {
    port.insert(port.begin(), static_cast<char16_t>(u'0' + value % 10));
  }
  return host + u":" + port;
}

void TNetIOHandler::SetDestination(const std::u16string& AValue) {
  std::u16string host = AValue;
  std::u16string port;
  if (!host.empty() && host.front() == u'[') {
    const std::size_t close = host.find(u']');
    if (close != std::u16string::npos) {
      if (close + 1 < host.size() && host[close + 1] == u':')
        port = host.substr(close + 2);
      host = host.substr(1, close - 1);
    }
  } else if (const std::size_t colon = host.rfind(u':');
             colon != std::u16string::npos && host.find(u':') == colon) {
    port = host.substr(colon + 1);
    host.resize(colon);
  }
  SetHost(host);
  if (!port.empty()) {
    int value = 0;
    for (char16_t c : port) {
      if (c < u'0' || c > u'9' || value > 65535)
        return;
      value = value * 10 + (c - u'0');
    }
    if (value <= 65535)
      SetPort(value);
  }
}

// --- Life ---

void TNetIOHandler::Open() {
  FOpened = false;
  FClosedGracefully = false;
  WriteBufferClear();
  FInputBuffer->Clear();
  FOpened = true;
}

void TNetIOHandler::Close() {
  // Closed and without a write buffer even when the intercept fails.
  struct TFinish {
    TNetIOHandler& Handler;
    ~TFinish() {
      Handler.FOpened = false;
      Handler.WriteBufferClear();
    }
  } finish{*this};
  if (FIntercept)
    FIntercept->Disconnect();
}

bool TNetIOHandler::Connected() {
  CheckForDisconnect(false, false);
  return FOpened && (!FClosedGracefully || !InputBufferIsEmpty());
}

bool TNetIOHandler::CheckForDataOnSource(int ATimeout) {
  const int before = FInputBuffer->Size();
  if (!Connected())
    return false;
  if (FInputBuffer->Size() > before)
    return true;
  return ReadFromSource(false, ATimeout, false) > 0;
}

int TNetIOHandler::ReadFromSource(bool ARaiseExceptionIfDisconnected, int ATimeout,
                                  bool ARaiseExceptionOnTimeout) {
  if (ATimeout == Net_TimeoutDefault) {
    ATimeout = FReadTimeOut;
    if (ATimeout == -1 || ATimeout == 0)
      ATimeout = Net_TimeoutInfinite;
  }
  CheckForDisconnect(ARaiseExceptionIfDisconnected, false);
  if (!SourceIsAvailable()) {
    if (ARaiseExceptionIfDisconnected)
      throw ENetNotConnected();
    return 0;
  }
  int result = 0;
  do {
    if (!Readable(ATimeout)) {
      if (ARaiseExceptionOnTimeout)
        throw ENetReadTimeout();
      return -1;
    }
    int received = 0;
    result = 0;
    if (FOpened) {
      if (SourceIsAvailable()) {
        FReceiveArray.resize(static_cast<std::size_t>(std::max(FRecvBufferSize, 1)));
        received = ReadDataFromSource(FReceiveArray);
        result = received;
        if (received > 0) {
          if (FIntercept) {
            TBytes bytes(FReceiveArray.begin(), FReceiveArray.begin() + received);
            FIntercept->Receive(bytes);
            result = static_cast<int>(bytes.size());
            FInputBuffer->Write(bytes);
          } else {
            FInputBuffer->Write(FReceiveArray.data(), received);
          }
        }
      } else if (ARaiseExceptionIfDisconnected) {
        throw ENetClosedSocket();
      }
    } else if (ARaiseExceptionIfDisconnected) {
      throw ENetNotConnected();
    }
    if (received < 0) {
      const int code = CheckForError(received);
      if (code == Net_WSAETIMEDOUT) {
        if (ARaiseExceptionOnTimeout)
          throw ENetReadTimeout();
        return -1;
      }
      FClosedGracefully = true;
      Close();
      if (InputBufferIsEmpty() && ARaiseExceptionIfDisconnected)
        RaiseError(code);
      received = 0;
      result = 0;
    }
    // Only an empty receive ends the connection; an intercept that keeps every
    // byte of a receive for itself does not.
    if (received == 0)
      FClosedGracefully = true;
    CheckForDisconnect(ARaiseExceptionIfDisconnected, false);
  } while (result == 0 && SourceIsAvailable());
  return result;
}

void TNetIOHandler::IdleBetweenChunks() {
  TNetAntiFreezeBase::DoProcess();
}

// --- Reads ---

std::u16string TNetIOHandler::ReadLn(TNetEncoding AByteEncoding) {
  return ReadLn(u"\n", Net_TimeoutDefault, -1, AByteEncoding);
}

std::u16string TNetIOHandler::ReadLn(const std::u16string& ATerminator, int ATimeout,
                                     int AMaxLineLength, TNetEncoding AByteEncoding) {
  const TNetEncoding encoding = EncodingFor(AByteEncoding);
  if (AMaxLineLength < 0)
    AMaxLineLength = FMaxLineLength;
  const std::u16string terminator = ATerminator.empty() ? u"\n" : ATerminator;
  const TBytes terminatorBytes = encoding->GetBytes(terminator);
  const int terminatorLength = static_cast<int>(terminatorBytes.size());
  FReadLnSplit = false;
  FReadLnTimedOut = false;
  int termPos = -1;
  int startPos = 0;
  const std::uint64_t start = TickCount();
  do {
    const int size = FInputBuffer->Size();
    if (size > 0) {
      termPos = startPos < size ? FInputBuffer->IndexOf(terminatorBytes, startPos) : -1;
      // The next search also finds a terminator split across two receives.
      startPos = std::max(size - (terminatorLength - 1), 0);
    }
    if (AMaxLineLength > 0 &&
        (termPos > AMaxLineLength || (termPos == -1 && startPos > AMaxLineLength))) {
      if (FMaxLineAction == maException)
        throw ENetReadLnMaxLineLengthExceeded();
      FReadLnSplit = true;
      return FInputBuffer->ExtractToString(AMaxLineLength, encoding);
    }
    if (termPos == -1) {
      CheckForDisconnect(true, true);
      FReadLnTimedOut = ReadFromSource(true, ATimeout, false) == -1;
      if (!FReadLnTimedOut && ATimeout >= 0 &&
          static_cast<std::uint32_t>(TickCount() - start) >= static_cast<std::uint32_t>(ATimeout)) {
        FReadLnTimedOut = true;
      }
      if (FReadLnTimedOut)
        return {};
    }
  } while (termPos == -1);
  TBytes line;
  FInputBuffer->ExtractToBytes(line, termPos + terminatorLength, false);
  int lineLength = termPos;
  if (terminator == u"\n" && termPos > 0 && line[termPos - 1] == 13)
    --lineLength;
  return encoding->GetString(line.data(), static_cast<std::size_t>(lineLength));
}

void TNetIOHandler::WaitForInput(int AByteCount) {
  while (FInputBuffer->Size() < AByteCount) {
    if (ReadFromSource(false, Net_TimeoutDefault, true) > 0 && FInputBuffer->Size() >= AByteCount) {
      break;
    }
    CheckForDisconnect(true, true);
  }
}

void TNetIOHandler::ReadBytes(TBytes& VBuffer, int AByteCount, bool AAppend) {
  if (AByteCount > 0) {
    WaitForInput(AByteCount);
    FInputBuffer->ExtractToBytes(VBuffer, AByteCount, AAppend);
  } else if (AByteCount < 0) {
    ReadFromSource(false, Net_TimeoutDefault, false);
    CheckForDisconnect(true, true);
    FInputBuffer->ExtractToBytes(VBuffer, -1, AAppend);
  }
}

namespace {

// An end of the connection that a read until disconnect takes as its normal end.
bool EndsReadUntilDisconnect(const Exception& AException) {
  if (dynamic_cast<const ENetConnClosedGracefully*>(&AException))
    return true;
  if (const auto* socketError = dynamic_cast<const ENetSocketError*>(&AException)) {
    const int code = socketError->LastError();
    return code == Net_WSAECONNABORTED || code == Net_WSAECONNRESET || code == Net_WSAESHUTDOWN;
  }
  return false;
}

}  // namespace

void TNetIOHandler::ReadStream(TStream* AStream, std::int64_t AByteCount,
                               bool AReadUntilDisconnect) {
  if (AByteCount == -1 && !AReadUntilDisconnect) {
    AByteCount = FLargeStream ? ReadInt64() : ReadInt32();
  }
  if (AStream && AByteCount >= 0) {
    const std::int64_t position = AStream->Position();
    if (INT64_MAX - position < AByteCount)
      throw ENetIOHandlerStreamDataTooLarge();
    AStream->SetSize(position + AByteCount);
    if (AStream->Position() != position)
      AStream->SetPosition(position);
  }
  if (AByteCount < 0)
    AReadUntilDisconnect = true;

  BeginWork(wmRead, AReadUntilDisconnect ? 0 : AByteCount);
  // The bracket closes and the pre-sized stream is cut on every path.
  auto finish = [&] {
    try {
      EndWork(wmRead);
    } catch (...) {
      if (AStream && AStream->Size() > AStream->Position())
        AStream->SetSize(AStream->Position());
      throw;
    }
    if (AStream && AStream->Size() > AStream->Position())
      AStream->SetSize(AStream->Position());
  };
  try {
    if (!InputBufferIsEmpty()) {
      int count = FInputBuffer->Size();
      if (!AReadUntilDisconnect) {
        count = static_cast<int>(std::min<std::int64_t>(count, AByteCount));
        AByteCount -= count;
      }
      FInputBuffer->ExtractToStream(AStream, count);
    }
    TBytes chunk(static_cast<std::size_t>(std::max(FRecvBufferSize, 1)));
    for (;;) {
      int count = static_cast<int>(chunk.size());
      if (!AReadUntilDisconnect)
        count = static_cast<int>(std::min<std::int64_t>(count, AByteCount));
      if (count < 1)
        break;
      try {
        WaitForInput(count);
      } catch (const Exception& e) {
        count = std::min(count, FInputBuffer->Size());
        FInputBuffer->ExtractToBytes(chunk, count, false);
        if (AStream && count > 0)
          AStream->Write(chunk.data(), count);
        if (AReadUntilDisconnect && EndsReadUntilDisconnect(e))
          break;
        throw;
      }
      // Straight from the input buffer, without a copy into the chunk.
      FInputBuffer->ExtractToStream(AStream, count);
      if (!AReadUntilDisconnect)
        AByteCount -= count;
      IdleBetweenChunks();
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TNetIOHandler::Discard(std::int64_t AByteCount) {
  if (AByteCount <= 0)
    return;
  TNetWorkBracket work(*this, wmRead, AByteCount);
  for (;;) {
    const int count =
        static_cast<int>(std::min<std::int64_t>({AByteCount, INT_MAX, FInputBuffer->Size()}));
    FInputBuffer->Remove(count);
    AByteCount -= count;
    if (AByteCount == 0)
      break;
    if (ReadFromSource(false, Net_TimeoutDefault, true) <= 0)
      CheckForDisconnect(true, true);
  }
}

void TNetIOHandler::DiscardAll() {
  TNetWorkBracket work(*this, wmRead, 0);
  // Clearing is no removal, so no OnWork fires.
  FInputBuffer->Clear();
  try {
    for (;;) {
      if (ReadFromSource(false, Net_TimeoutDefault, true) > 0) {
        FInputBuffer->Clear();
      } else {
        CheckForDisconnect(true, true);
      }
    }
  } catch (const ENetConnClosedGracefully&) {
    FInputBuffer->Clear();
  } catch (...) {
    FInputBuffer->Clear();
    throw;
  }
}

// --- Writes ---

void TNetIOHandler::Write(const TBytes& ABuffer, int ALength, int AOffset) {
  if (AOffset < 0 || static_cast<std::size_t>(AOffset) >= ABuffer.size())
    return;
  int length = static_cast<int>(std::min<std::size_t>(ABuffer.size() - AOffset, INT_MAX));
  if (ALength >= 0)
    length = std::min(length, ALength);
  if (length < 1)
    return;
  if (FWriteBuffer) {
    FWriteBuffer->Write(ABuffer, length, AOffset);
    if (FWriteBufferThreshold > 0) {
      while (FWriteBuffer && FWriteBuffer->Size() >= FWriteBufferThreshold) {
        WriteBufferFlush(FWriteBufferThreshold);
      }
    }
    return;
  }
  WriteDirect(ABuffer, length, AOffset);
}

void TNetIOHandler::WriteDirect(const TBytes& ABuffer, int ALength, int AOffset) {
  CheckForDisconnect(true, true);
  if (AOffset < 0 || static_cast<std::size_t>(AOffset) >= ABuffer.size())
    return;
  int length = static_cast<int>(std::min<std::size_t>(ABuffer.size() - AOffset, INT_MAX));
  if (ALength >= 0)
    length = std::min(length, ALength);
  const TBytes* data = &ABuffer;
  TBytes intercepted;
  if (FIntercept) {
    intercepted.assign(ABuffer.begin() + AOffset, ABuffer.begin() + AOffset + length);
    FIntercept->Send(intercepted);
    data = &intercepted;
    AOffset = 0;
    length = static_cast<int>(intercepted.size());
  }
  while (length > 0) {
    const int sent = WriteDataToTarget(*data, AOffset, length);
    if (sent < 0) {
      const int code = CheckForError(sent);
      if (code != Net_WSAETIMEDOUT) {
        FClosedGracefully = true;
        Close();
      }
      RaiseError(code);
    }
    if (sent == 0)
      FClosedGracefully = true;
    CheckForDisconnect(true, false);
    // Nothing more can be sent once the target took nothing, even while unread
    // input keeps the disconnect check from raising.
    if (sent == 0)
      throw ENetConnClosedGracefully();
    DoWork(wmWrite, sent);
    AOffset += sent;
    length -= sent;
  }
}

void TNetIOHandler::Write(const std::u16string& AOut, TNetEncoding AByteEncoding) {
  if (AOut.empty())
    return;
  Write(EncodingFor(AByteEncoding)->GetBytes(AOut));
}

void TNetIOHandler::WriteLn(const std::u16string& AOut, TNetEncoding AByteEncoding) {
  Write(AOut + u"\r\n", AByteEncoding);
}

void TNetIOHandler::WriteLnRFC(const std::u16string& AOut, TNetEncoding AByteEncoding) {
  if (!AOut.empty() && AOut.front() == u'.') {
    WriteLn(u"." + AOut, AByteEncoding);
  } else {
    WriteLn(AOut, AByteEncoding);
  }
}

void TNetIOHandler::Write(const std::vector<std::u16string>& AValue, bool AWriteLinesCount,
                          TNetEncoding AByteEncoding) {
  const bool opened = !WriteBufferingActive();
  if (opened)
    WriteBufferOpen();
  try {
    if (AWriteLinesCount)
      WriteInt32(static_cast<std::int32_t>(AValue.size()));
    for (const std::u16string& line : AValue)
      WriteLn(line, AByteEncoding);
  } catch (...) {
    if (opened)
      WriteBufferCancel();
    throw;
  }
  if (opened)
    WriteBufferClose();
}

void TNetIOHandler::Write(TStream& AStream, std::int64_t ASize, bool AWriteByteCount) {
  if (ASize < 0) {
    ASize = AStream.Size() - AStream.Position();
  } else if (ASize == 0) {
    AStream.SetPosition(0);
    ASize = AStream.Size();
  }
  if (AWriteByteCount) {
    if (FLargeStream) {
      WriteInt64(ASize);
    } else {
      if (ASize > INT32_MAX)
        throw ENetIOHandlerRequiresLargeStream();
      WriteInt32(static_cast<std::int32_t>(ASize));
    }
  }
  TNetWorkBracket work(*this, wmWrite, ASize);
  TBytes chunk;
  while (ASize > 0) {
    chunk.resize(
        static_cast<std::size_t>(std::min<std::int64_t>(ASize, std::max(FSendBufferSize, 1))));
    const std::int64_t read = AStream.Read(chunk.data(), static_cast<std::int64_t>(chunk.size()));
    if (read <= 0)
      throw ENetNoDataToRead();
    chunk.resize(static_cast<std::size_t>(read));
    Write(chunk);
    ASize -= read;
  }
}

void TNetIOHandler::WriteBufferOpen(int AThreshold) {
  if (FWriteBuffer) {
    FWriteBuffer->Clear();
  } else {
    FWriteBuffer = std::make_unique<TNetBuffer>();
  }
  FWriteBufferThreshold = AThreshold;
}

void TNetIOHandler::WriteBufferFlush(int AByteCount) {
  if (!FWriteBuffer || FWriteBuffer->Size() == 0)
    return;
  if (AByteCount < 0 || AByteCount > FWriteBuffer->Size())
    AByteCount = FWriteBuffer->Size();
  TBytes bytes;
  FWriteBuffer->ExtractToBytes(bytes, AByteCount, false);
  WriteDirect(bytes);
}

void TNetIOHandler::WriteBufferClose() {
  try {
    WriteBufferFlush();
  } catch (...) {
    FWriteBuffer.reset();
    throw;
  }
  FWriteBuffer.reset();
}

void TNetIOHandler::WriteBufferCancel() {
  WriteBufferClear();
  WriteBufferClose();
}

void TNetIOHandler::WriteBufferClear() {
  if (FWriteBuffer)
    FWriteBuffer->Clear();
}

}  // namespace vornel
