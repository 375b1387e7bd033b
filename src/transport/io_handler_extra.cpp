// The reads and writes that are built from the primary ones.
#include <algorithm>
#include <cstring>

#include "platform/file_stream.h"
#include "platform/scoped_value.h"
#include "platform/text.h"
#include "transport/io_handler.h"
#include "transport/net_exceptions.h"

namespace vornel {

namespace {

class ENetMaxCapturedLinesExceeded : public ENetException {
 public:
  ENetMaxCapturedLinesExceeded() : ENetException(u"Maximum number of captured lines exceeded.") {}
};

}  // namespace

std::u16string TNetIOHandler::ReadLnRFC(bool& VMsgEnd, const std::u16string& ALineTerminator,
                                        const std::u16string& ADelim, TNetEncoding AByteEncoding) {
  std::u16string line = ReadLn(ALineTerminator, Net_TimeoutDefault, -1, AByteEncoding);
  VMsgEnd = line == ADelim;
  if (!VMsgEnd && line.size() >= 2 && line[0] == u'.' && line[1] == u'.')
    line.erase(0, 1);
  return line;
}

std::u16string TNetIOHandler::ReadLnSplit(bool& AWasSplit, const std::u16string& ATerminator,
                                          int ATimeout, int AMaxLineLength,
                                          TNetEncoding AByteEncoding) {
  const TScopedValue splitting(FMaxLineAction, maSplit);
  std::u16string line = ReadLn(ATerminator, ATimeout, AMaxLineLength, AByteEncoding);
  AWasSplit = FReadLnSplit;
  return line;
}

std::u16string TNetIOHandler::ReadLnWait(int AFailCount, TNetEncoding AByteEncoding) {
  for (int attempts = 0;;) {
    std::u16string line = Trim(ReadLn(AByteEncoding));
    if (!line.empty())
      return line;
    if (FReadLnTimedOut)
      throw ENetReadTimeout();
    if (++attempts >= AFailCount)
      throw ENetReadLnWaitMaxAttemptsExceeded();
  }
}

std::u16string TNetIOHandler::ReadString(int ABytes, TNetEncoding AByteEncoding) {
  if (ABytes <= 0)
    return {};
  TBytes bytes;
  ReadBytes(bytes, ABytes, false);
  return EncodingFor(AByteEncoding)->GetString(bytes.data(), static_cast<std::size_t>(ABytes));
}

std::uint64_t TNetIOHandler::ReadNetworkOrder(int ASize, bool AConvert) {
  TBytes bytes;
  ReadBytes(bytes, ASize, false);
  std::uint64_t value = 0;
  if (AConvert) {
    for (int i = 0; i < ASize; ++i)
      value = value << 8 | bytes[i];
  } else {
    // Host order: the bytes as they lie in memory.
    std::memcpy(&value, bytes.data(), static_cast<std::size_t>(ASize));
  }
  return value;
}

std::uint8_t TNetIOHandler::ReadByte() {
  return static_cast<std::uint8_t>(ReadNetworkOrder(1, false));
}
std::int16_t TNetIOHandler::ReadInt16(bool AConvert) {
  return static_cast<std::int16_t>(ReadNetworkOrder(2, AConvert));
}
std::uint16_t TNetIOHandler::ReadUInt16(bool AConvert) {
  return static_cast<std::uint16_t>(ReadNetworkOrder(2, AConvert));
}
std::int32_t TNetIOHandler::ReadInt32(bool AConvert) {
  return static_cast<std::int32_t>(ReadNetworkOrder(4, AConvert));
}
std::uint32_t TNetIOHandler::ReadUInt32(bool AConvert) {
  return static_cast<std::uint32_t>(ReadNetworkOrder(4, AConvert));
}
std::int64_t TNetIOHandler::ReadInt64(bool AConvert) {
  return static_cast<std::int64_t>(ReadNetworkOrder(8, AConvert));
}
std::uint64_t TNetIOHandler::ReadUInt64(bool AConvert) {
  return ReadNetworkOrder(8, AConvert);
}

std::u16string TNetIOHandler::ReadChar(TNetEncoding AByteEncoding) {
  const TNetEncoding encoding = EncodingFor(AByteEncoding);
  TBytes bytes;
  ReadBytes(bytes, 1, false);
  for (;;) {
    const std::size_t need = std::min(encoding->CharByteLength(bytes.data(), bytes.size()),
                                      encoding->MaxCharByteLength());
    if (bytes.size() >= need)
      break;
    ReadBytes(bytes, static_cast<int>(need - bytes.size()), true);
  }
  return encoding->GetString(bytes);
}

std::u16string TNetIOHandler::WaitFor(const std::u16string& AString, bool ARemoveFromBuffer,
                                      bool AInclusive, TNetEncoding AByteEncoding, int ATimeout) {
  const TNetEncoding encoding = EncodingFor(AByteEncoding);
  const TBytes pattern = encoding->GetBytes(AString);
  if (pattern.empty())
    return {};
  const int patternLength = static_cast<int>(pattern.size());
  int startPos = 0;
  for (;;) {
    const int size = FInputBuffer->Size();
    if (size > 0) {
      const int pos = startPos < size ? FInputBuffer->IndexOf(pattern, startPos) : -1;
      if (pos >= 0) {
        const int resultLength = AInclusive ? pos + patternLength : pos;
        if (!ARemoveFromBuffer) {
          return encoding->GetString(FInputBuffer->Data(), static_cast<std::size_t>(resultLength));
        }
        std::u16string result = FInputBuffer->ExtractToString(resultLength, encoding);
        if (!AInclusive)
          FInputBuffer->Remove(patternLength);
        return result;
      }
      startPos = std::max(size - (patternLength - 1), 0);
    }
    CheckForDisconnect(true, true);
    ReadFromSource(true, ATimeout, true);
  }
}

std::u16string TNetIOHandler::AllData(TNetEncoding AByteEncoding) {
  TNetWorkBracket work(*this, wmRead, 0);
  try {
    while (ReadFromSource(false, 250, false) != 0) {
    }
  } catch (const Exception&) {
    // The end of the connection, however it came, ends the collection.
  }
  return FInputBuffer->ExtractToString(-1, EncodingFor(AByteEncoding));
}

void TNetIOHandler::PerformCapture(const std::function<void(const std::u16string&)>& AAddLine,
                                   int& VLineCount, const std::u16string& ADelim,
                                   bool AUsesDotTransparency, TNetEncoding AByteEncoding) {
  VLineCount = 0;
  TNetWorkBracket work(*this, wmRead, 0);
  for (;;) {
    std::u16string line = ReadLn(AByteEncoding);
    if (line == ADelim)
      return;
    if (AUsesDotTransparency && line.size() >= 2 && line[0] == u'.' && line[1] == u'.') {
      line.erase(0, 1);
    }
    ++VLineCount;
    if (FMaxCapturedLines > 0 && VLineCount > FMaxCapturedLines) {
      throw ENetMaxCapturedLinesExceeded();
    }
    AAddLine(line);
  }
}

void TNetIOHandler::Capture(std::vector<std::u16string>& ADest, const std::u16string& ADelim,
                            bool AUsesDotTransparency, TNetEncoding AByteEncoding) {
  int count = 0;
  PerformCapture([&](const std::u16string& ALine) { ADest.push_back(ALine); }, count, ADelim,
                 AUsesDotTransparency, AByteEncoding);
}

void TNetIOHandler::Capture(TStream& ADest, const std::u16string& ADelim, bool AUsesDotTransparency,
                            TNetEncoding AByteEncoding) {
  const TNetEncoding encoding = EncodingFor(AByteEncoding);
  int count = 0;
  PerformCapture(
      [&](const std::u16string& ALine) {
        const TBytes bytes = encoding->GetBytes(ALine + u"\r\n");
        ADest.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      },
      count, ADelim, AUsesDotTransparency, encoding);
}

std::u16string TNetIOHandler::InputLn(const std::u16string& AMask, bool AEcho, int ATabWidth,
                                      int AMaxLineLength, TNetEncoding AByteEncoding) {
  if (AMaxLineLength < 0)
    AMaxLineLength = FMaxLineLength;
  std::u16string line;
  for (;;) {
    std::u16string ch = ReadChar(AByteEncoding);
    if (ch == u"\r" || ch == u"\n") {
      // A CR LF pair ends the line once; the LF is taken when it is already here.
      if (ch == u"\r" && !InputBufferIsEmpty() && FInputBuffer->PeekByte(0) == '\n') {
        FInputBuffer->Remove(1);
      }
      break;
    }
    if (ch == u"\b" || ch == u"\x7F") {
      if (!line.empty()) {
        line.pop_back();
        if (AEcho)
          Write(u"\b \b", AByteEncoding);
      }
      continue;
    }
    if (ch == u"\t" && ATabWidth > 0) {
      ch.assign(static_cast<std::size_t>(ATabWidth) - line.size() % ATabWidth, u' ');
    }
    if (AMaxLineLength > 0 && line.size() + ch.size() > static_cast<std::size_t>(AMaxLineLength)) {
      continue;
    }
    line += ch;
    if (AEcho)
      Write(AMask.empty() ? ch : AMask, AByteEncoding);
  }
  if (AEcho)
    WriteLn({}, AByteEncoding);
  return line;
}

void TNetIOHandler::ReadStrings(std::vector<std::u16string>& AValue, int AReadLinesCount,
                                TNetEncoding AByteEncoding) {
  if (AReadLinesCount < 0)
    AReadLinesCount = ReadInt32();
  for (int i = 0; i < AReadLinesCount; ++i)
    AValue.push_back(ReadLn(AByteEncoding));
}

std::u16string TNetIOHandler::InputBufferAsString(TNetEncoding AByteEncoding) {
  return FInputBuffer->ExtractToString(-1, EncodingFor(AByteEncoding));
}

void TNetIOHandler::InputBufferToStream(TStream& AStream, int AByteCount) {
  FInputBuffer->ExtractToStream(&AStream, AByteCount);
}

void TNetIOHandler::WriteNetworkOrder(std::uint64_t AValue, int ASize, bool AConvert) {
  TBytes bytes(static_cast<std::size_t>(ASize));
  if (AConvert) {
    for (int i = ASize - 1; i >= 0; --i) {
      bytes[i] = static_cast<std::uint8_t>(AValue & 0xFF);
      AValue >>= 8;
    }
  } else {
    std::memcpy(bytes.data(), &AValue, static_cast<std::size_t>(ASize));
  }
  Write(bytes);
}

void TNetIOHandler::WriteByte(std::uint8_t AValue) {
  WriteNetworkOrder(AValue, 1, false);
}
void TNetIOHandler::WriteInt16(std::int16_t AValue, bool AConvert) {
  WriteNetworkOrder(static_cast<std::uint16_t>(AValue), 2, AConvert);
}
void TNetIOHandler::WriteUInt16(std::uint16_t AValue, bool AConvert) {
  WriteNetworkOrder(AValue, 2, AConvert);
}
void TNetIOHandler::WriteInt32(std::int32_t AValue, bool AConvert) {
  WriteNetworkOrder(static_cast<std::uint32_t>(AValue), 4, AConvert);
}
void TNetIOHandler::WriteUInt32(std::uint32_t AValue, bool AConvert) {
  WriteNetworkOrder(AValue, 4, AConvert);
}
void TNetIOHandler::WriteInt64(std::int64_t AValue, bool AConvert) {
  WriteNetworkOrder(static_cast<std::uint64_t>(AValue), 8, AConvert);
}
void TNetIOHandler::WriteUInt64(std::uint64_t AValue, bool AConvert) {
  WriteNetworkOrder(AValue, 8, AConvert);
}

std::int64_t TNetIOHandler::WriteFile(const std::u16string& AFile, bool) {
  TFileStream file(AFile, fmOpenRead | fmShareDenyWrite);
  const std::int64_t size = file.Size();
  if (size > 0)
    Write(file, 0, false);
  return size;
}

}  // namespace vornel
