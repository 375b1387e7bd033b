// Traditional zip decryption: the three-key engine and a stream that decrypts
// an item's data as it is read from the input window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/stream.h"

namespace vornel {

class TArZipDecryptEngine {
 public:
  // Sets the keys up from the password (converted with the ANSI code page).
  void Initialize(const std::u16string& password);
  void UpdateKeys(std::uint8_t plain);
  std::uint8_t DecryptByte(std::uint8_t cipher);
  void Decrypt(std::uint8_t* data, std::size_t size);
  bool Ready() const { return FReady; }
  void SetReady(bool ready) { FReady = ready; }

 private:
  std::uint32_t FKeys[3] = {0x12345678u, 0x23456789u, 0x34567890u};
  bool FReady = false;
};

class TArDfDecryptStream : public TStream {
 public:
  static constexpr int HeaderSize = 12;

  TArDfDecryptStream(TStream& source, const std::u16string& password, std::uint32_t checkValue);
  ~TArDfDecryptStream() override;

  // Reads and decrypts the 12-byte header (EReadError when it is short). True when
  // its last byte matches the top byte of the check value; otherwise the source
  // is moved back so that another password can read the same header.
  bool IsValid();
  // Makes this stream own its source from now on.
  void TakeOwnership(std::unique_ptr<TStream> source);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;

 private:
  TStream& FSource;
  std::unique_ptr<TStream> FOwnedSource;
  std::u16string FPassword;
  std::uint32_t FCheckValue;
  TArZipDecryptEngine FEngine;
};

}  // namespace vornel
