// The I/O handler: an input buffer refilled from a source, and every read a
// protocol needs (a line, a number of bytes, a stream of known or unknown length,
// discarding) answered out of it; writes of bytes, texts and streams, directly or
// through a write buffer. A concrete handler supplies the source and target
// primitives (ReadDataFromSource, WriteDataToTarget, SourceIsAvailable, Readable,
// CheckForError, RaiseError) and the disconnect check.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "platform/stream.h"
#include "transport/connection_intercept.h"
#include "transport/net_buffer.h"
#include "transport/net_component.h"
#include "transport/text_encoding.h"

namespace vornel {

enum TNetMaxLineAction { maException = 0, maSplit = 1 };

inline constexpr int Net_RecvBufferSizeDefault = 32768;
inline constexpr int Net_SendBufferSizeDefault = 32768;
inline constexpr int Net_MaxLineLengthDefault = 16384;
// Timeout arguments of the reads.
inline constexpr int Net_TimeoutDefault = -1;   // the handler's ReadTimeout
inline constexpr int Net_TimeoutInfinite = -2;  // no limit

class TNetIOHandler : public TNetComponent {
 public:
  TNetIOHandler();
  ~TNetIOHandler() override;

  // --- Life ---
  // Opened with empty buffers; a socket handler connects here.
  virtual void Open();
  // Ends the connection; the input buffer survives.
  virtual void Close();
  virtual bool Connected();
  virtual void CloseGracefully() { FClosedGracefully = true; }
  // Whether the peer's last end of the connection was a bare close that a
  // transport with close notifications (TLS) cannot vouch for; such an end may
  // be a cut. Cleared when the handler opens. False for plain TCP.
  virtual bool EndedWithoutCloseNotify() const { return false; }
  virtual void AfterAccept() {}
  // Closes an ended connection; raises ENetConnClosedGracefully when asked and
  // nothing (or, with AIgnoreBuffer, too little) is left to read.
  virtual void CheckForDisconnect(bool ARaiseExceptionIfDisconnected = true,
                                  bool AIgnoreBuffer = false) = 0;
  // Whether at least one byte arrived within the timeout.
  virtual bool CheckForDataOnSource(int ATimeout = 0);
  virtual bool Readable(int AMSec = Net_TimeoutDefault) = 0;
  // The single refill step under every read: bytes added, 0 when the connection
  // ended or is absent, -1 on a timeout that does not raise.
  int ReadFromSource(bool ARaiseExceptionIfDisconnected = true, int ATimeout = Net_TimeoutDefault,
                     bool ARaiseExceptionOnTimeout = true);

  // --- Reads ---
  // One line without its terminator (LF, with a CR before it dropped); empty
  // with ReadLnTimedOut on timeout.
  virtual std::u16string ReadLn(TNetEncoding AByteEncoding = nullptr);
  virtual std::u16string ReadLn(const std::u16string& ATerminator,
                                int ATimeout = Net_TimeoutDefault, int AMaxLineLength = -1,
                                TNetEncoding AByteEncoding = nullptr);
  // Exactly AByteCount bytes; with a negative count whatever one receive brings.
  virtual void ReadBytes(TBytes& VBuffer, int AByteCount, bool AAppend = true);
  // A counted body, or (count -1 with AReadUntilDisconnect, or any negative count)
  // everything up to the end of the connection. A null stream drops the bytes.
  virtual void ReadStream(TStream* AStream, std::int64_t AByteCount = -1,
                          bool AReadUntilDisconnect = false);
  void Discard(std::int64_t AByteCount);
  void DiscardAll();

  // Reads built from the ones above.
  std::u16string ReadLnRFC(bool& VMsgEnd, const std::u16string& ALineTerminator = u"\n",
                           const std::u16string& ADelim = u".",
                           TNetEncoding AByteEncoding = nullptr);
  std::u16string ReadLnSplit(bool& AWasSplit, const std::u16string& ATerminator = u"\n",
                             int ATimeout = Net_TimeoutDefault, int AMaxLineLength = -1,
                             TNetEncoding AByteEncoding = nullptr);
  virtual std::u16string ReadLnWait(int AFailCount = INT_MAX, TNetEncoding AByteEncoding = nullptr);
  std::u16string ReadString(int ABytes, TNetEncoding AByteEncoding = nullptr);
  std::uint8_t ReadByte();
  std::int16_t ReadInt16(bool AConvert = true);
  std::uint16_t ReadUInt16(bool AConvert = true);
  std::int32_t ReadInt32(bool AConvert = true);
  std::uint32_t ReadUInt32(bool AConvert = true);
  std::int64_t ReadInt64(bool AConvert = true);
  std::uint64_t ReadUInt64(bool AConvert = true);
  // One character (a surrogate pair counts as one).
  std::u16string ReadChar(TNetEncoding AByteEncoding = nullptr);
  // Reads until AString is buffered and returns what precedes it; with
  // ARemoveFromBuffer it is consumed (AInclusive: the result ends with AString).
  std::u16string WaitFor(const std::u16string& AString, bool ARemoveFromBuffer = true,
                         bool AInclusive = false, TNetEncoding AByteEncoding = nullptr,
                         int ATimeout = Net_TimeoutDefault);
  // Everything up to the end of the connection, as text.
  virtual std::u16string AllData(TNetEncoding AByteEncoding = nullptr);
  // Lines until ADelim (dot-terminated by default), into a list or a stream.
  void Capture(std::vector<std::u16string>& ADest, const std::u16string& ADelim = u".",
               bool AUsesDotTransparency = true, TNetEncoding AByteEncoding = nullptr);
  void Capture(TStream& ADest, const std::u16string& ADelim = u".",
               bool AUsesDotTransparency = true, TNetEncoding AByteEncoding = nullptr);
  // A console-style input line: echoes each character (AMask instead when given),
  // a backspace removes the last one, CR or LF ends the line.
  virtual std::u16string InputLn(const std::u16string& AMask = {}, bool AEcho = true,
                                 int ATabWidth = 8, int AMaxLineLength = -1,
                                 TNetEncoding AByteEncoding = nullptr);
  // ACount lines (-1: a 32-bit network-order count read first).
  void ReadStrings(std::vector<std::u16string>& AValue, int AReadLinesCount = -1,
                   TNetEncoding AByteEncoding = nullptr);
  std::u16string InputBufferAsString(TNetEncoding AByteEncoding = nullptr);
  void InputBufferToStream(TStream& AStream, int AByteCount = -1);

  bool InputBufferIsEmpty() const { return FInputBuffer->Size() == 0; }
  TNetBuffer& InputBuffer() { return *FInputBuffer; }

  // --- Writes ---
  virtual void Write(const TBytes& ABuffer, int ALength = -1, int AOffset = 0);
  virtual void Write(const std::u16string& AOut, TNetEncoding AByteEncoding = nullptr);
  virtual void WriteLn(const std::u16string& AOut = {}, TNetEncoding AByteEncoding = nullptr);
  virtual void WriteLnRFC(const std::u16string& AOut = {}, TNetEncoding AByteEncoding = nullptr);
  virtual void Write(const std::vector<std::u16string>& AValue, bool AWriteLinesCount = false,
                     TNetEncoding AByteEncoding = nullptr);
  // ASize < 0: from the position to the end; 0: the whole stream from its start.
  virtual void Write(TStream& AStream, std::int64_t ASize = 0, bool AWriteByteCount = false);
  void WriteByte(std::uint8_t AValue);
  void WriteInt16(std::int16_t AValue, bool AConvert = true);
  void WriteUInt16(std::uint16_t AValue, bool AConvert = true);
  void WriteInt32(std::int32_t AValue, bool AConvert = true);
  void WriteUInt32(std::uint32_t AValue, bool AConvert = true);
  void WriteInt64(std::int64_t AValue, bool AConvert = true);
  void WriteUInt64(std::uint64_t AValue, bool AConvert = true);
  // Sends a file's bytes; returns how many.
  virtual std::int64_t WriteFile(const std::u16string& AFile, bool AEnableTransferFile = false);
  // Sends now, past any write buffer.
  void WriteDirect(const TBytes& ABuffer, int ALength = -1, int AOffset = 0);

  virtual void WriteBufferOpen(int AThreshold = -1);
  virtual void WriteBufferFlush(int AByteCount = -1);
  virtual void WriteBufferClose();
  virtual void WriteBufferCancel();
  virtual void WriteBufferClear();
  bool WriteBufferingActive() const { return FWriteBuffer != nullptr; }

  // --- Properties ---
  int RecvBufferSize() const { return FRecvBufferSize; }
  void SetRecvBufferSize(int AValue) { FRecvBufferSize = AValue; }
  int SendBufferSize() const { return FSendBufferSize; }
  void SetSendBufferSize(int AValue) { FSendBufferSize = AValue; }
  int MaxLineLength() const { return FMaxLineLength; }
  void SetMaxLineLength(int AValue) { FMaxLineLength = AValue; }
  TNetMaxLineAction MaxLineAction() const { return FMaxLineAction; }
  void SetMaxLineAction(TNetMaxLineAction AValue) { FMaxLineAction = AValue; }
  int ReadTimeout() const { return FReadTimeOut; }
  void SetReadTimeout(int AValue) { FReadTimeOut = AValue; }
  int ConnectTimeout() const { return FConnectTimeout; }
  void SetConnectTimeout(int AValue) { FConnectTimeout = AValue; }
  bool LargeStream() const { return FLargeStream; }
  void SetLargeStream(bool AValue) { FLargeStream = AValue; }
  int MaxCapturedLines() const { return FMaxCapturedLines; }
  void SetMaxCapturedLines(int AValue) { FMaxCapturedLines = AValue; }
  TNetEncoding DefStringEncoding() const { return FDefStringEncoding; }
  void SetDefStringEncoding(TNetEncoding AValue) {
    FDefStringEncoding = NetEncodingOrDefault(AValue);
  }
  bool Opened() const { return FOpened; }
  bool ClosedGracefully() const { return FClosedGracefully; }
  bool ReadLnSplit() const { return FReadLnSplit; }
  bool ReadLnTimedOut() const { return FReadLnTimedOut; }
  const std::u16string& Host() const { return FHost; }
  virtual void SetHost(const std::u16string& AValue) { FHost = AValue; }
  int Port() const { return FPort; }
  virtual void SetPort(int AValue) { FPort = AValue; }
  // "host:port" ("[v6]:port" for an IPv6 literal).
  virtual std::u16string GetDestination() const;
  virtual void SetDestination(const std::u16string& AValue);
  TNetConnectionIntercept* Intercept() const { return FIntercept; }
  virtual void SetIntercept(TNetConnectionIntercept* AValue);

 protected:
  // --- Primitives of a concrete handler ---
  // Receives into the whole array: a count, 0 for an orderly end, negative for an error.
  virtual int ReadDataFromSource(TBytes& VBuffer) = 0;
  // Sends from AOffset, at most ALength bytes: the count sent, or negative.
  virtual int WriteDataToTarget(const TBytes& ABuffer, int AOffset, int ALength) = 0;
  virtual bool SourceIsAvailable() = 0;
  // Turns a negative primitive result into an error code, raising for the codes
  // that are not tolerated.
  virtual int CheckForError(int AErrorCode) = 0;
  [[noreturn]] virtual void RaiseError(int AErrorCode) = 0;

  void Notification(TNetComponent& AComponent) override;
  // The capture behind both Capture forms: every line is handed to AddLine.
  virtual void PerformCapture(const std::function<void(const std::u16string&)>& AAddLine,
                              int& VLineCount, const std::u16string& ADelim,
                              bool AUsesDotTransparency, TNetEncoding AByteEncoding);
  // Runs the idle hook between the chunks of a stream loop.
  void IdleBetweenChunks();

  void SetOpened(bool AValue) { FOpened = AValue; }
  void SetClosedGracefully(bool AValue) { FClosedGracefully = AValue; }

 private:
  // Receives until the input buffer holds at least AByteCount bytes; raises as
  // ReadBytes does when the connection ends first.
  void WaitForInput(int AByteCount);

  void BufferRemoveNotify(int ABytes);
  TNetEncoding EncodingFor(TNetEncoding AByteEncoding) const;
  std::uint64_t ReadNetworkOrder(int ASize, bool AConvert);
  void WriteNetworkOrder(std::uint64_t AValue, int ASize, bool AConvert);

  int FRecvBufferSize = Net_RecvBufferSizeDefault;
  int FSendBufferSize = Net_SendBufferSizeDefault;
  int FMaxLineLength = Net_MaxLineLengthDefault;
  TNetMaxLineAction FMaxLineAction = maException;
  int FReadTimeOut = -1;
  int FConnectTimeout = 0;
  bool FLargeStream = false;
  int FMaxCapturedLines = -1;
  TNetEncoding FDefStringEncoding = NetEncASCII();
  std::unique_ptr<TNetBuffer> FInputBuffer;
  std::unique_ptr<TNetBuffer> FWriteBuffer;
  int FWriteBufferThreshold = 0;
  bool FOpened = false;
  bool FClosedGracefully = false;
  bool FReadLnSplit = false;
  bool FReadLnTimedOut = false;
  std::u16string FHost;
  int FPort = 0;
  TNetConnectionIntercept* FIntercept = nullptr;
  TBytes FReceiveArray;  // reused by every refill
};

}  // namespace vornel
