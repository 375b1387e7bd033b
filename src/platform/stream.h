// The stream family: sequential reads and writes at a position, seeking, and a
// size that can be set. Used by HTTP, zip and the installer alike.
#pragma once

#include <cstdint>

#include "platform/exception.h"

namespace vornel {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to count bytes at the position and moves it on; returns the bytes
  // read (fewer only at the end).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Writes count bytes at the position and moves it on; returns the bytes written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Moves the position; returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  virtual std::int64_t Size();
  // Grows (new bytes are zero) or cuts the stream. The position stays, unless it
  // lies beyond the new end, where it moves to the end.
  virtual void SetSize(std::int64_t newSize) = 0;

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, soBeginning); }

  // All or nothing: a short read raises EReadError "Stream read error", a short
  // write EWriteError "Stream write error".
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);

  // Copies count bytes from source's position; count 0 copies the whole source
  // from its start. Returns the bytes copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

}  // namespace vornel
