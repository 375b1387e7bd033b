#include "zip/decrypt_stream.h"

#include "platform/code_page.h"
#include "zip/ar_exceptions.h"
#include "zip/crc32.h"

namespace vornel {

void TArZipDecryptEngine::Initialize(const std::u16string& password) {
  FKeys[0] = 0x12345678u;
  FKeys[1] = 0x23456789u;
  FKeys[2] = 0x34567890u;
  for (std::uint8_t c : EncodeCodePage(AnsiCodePage(), password))
    UpdateKeys(c);
  FReady = false;
}

void TArZipDecryptEngine::UpdateKeys(std::uint8_t plain) {
  FKeys[0] = ArCrc32Step(FKeys[0], plain);
  FKeys[1] = (FKeys[1] + (FKeys[0] & 0xFF)) * 134775813u + 1;
  FKeys[2] = ArCrc32Step(FKeys[2], static_cast<std::uint8_t>(FKeys[1] >> 24));
}

std::uint8_t TArZipDecryptEngine::DecryptByte(std::uint8_t cipher) {
  const std::uint32_t t = (FKeys[2] | 2) & 0xFFFF;
  const std::uint8_t plain = cipher ^ static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
  UpdateKeys(plain);
  return plain;
}

void TArZipDecryptEngine::Decrypt(std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    data[i] = DecryptByte(data[i]);
}

TArDfDecryptStream::TArDfDecryptStream(TStream& source, const std::u16string& password,
                                       std::uint32_t checkValue)
    : FSource(source), FPassword(password), FCheckValue(checkValue) {}

TArDfDecryptStream::~TArDfDecryptStream() = default;

bool TArDfDecryptStream::IsValid() {
  std::uint8_t header[HeaderSize];
  FSource.ReadBuffer(header, HeaderSize);
  FEngine.Initialize(FPassword);
  FEngine.Decrypt(header, HeaderSize);
  if (header[HeaderSize - 1] == static_cast<std::uint8_t>(FCheckValue >> 24)) {
    FEngine.SetReady(true);
    return true;
  }
  FSource.Seek(-HeaderSize, soCurrent);
  return false;
}

void TArDfDecryptStream::TakeOwnership(std::unique_ptr<TStream> source) {
  FOwnedSource = std::move(source);
}

std::int64_t TArDfDecryptStream::Read(void* buffer, std::int64_t count) {
  if (!FEngine.Ready())
    throw EArException(u"TArDfDecryptStream.Read before the header was accepted");
  const std::int64_t got = FSource.Read(buffer, count);
  FEngine.Decrypt(static_cast<std::uint8_t*>(buffer), static_cast<std::size_t>(got));
  return got;
}

std::int64_t TArDfDecryptStream::Write(const void*, std::int64_t) {
  throw EArException(u"TArDfDecryptStream.Write not supported");
}

std::int64_t TArDfDecryptStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  // The key stream cannot run backwards: after a move (a decoder giving back the
  // bytes it read ahead) the stream cannot be read any more.
  const std::int64_t before = FSource.Position();
  const std::int64_t after = FSource.Seek(offset, origin);
  if (after != before)
    FEngine.SetReady(false);
  return after;
}

void TArDfDecryptStream::SetSize(std::int64_t) {
  throw EArException(u"TArDfDecryptStream.Write not supported");
}

}  // namespace vornel
