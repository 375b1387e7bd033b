// An I/O handler whose peer is a byte array: reads take the bytes in order, in
// receives of a chosen size, and the end of the array is an orderly close;
// writes are accepted and dropped.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "transport/io_handler.h"

namespace vornel {

class TMemoryIOHandler : public TNetIOHandler {
 public:
  TMemoryIOHandler(const std::uint8_t* data, std::size_t size, std::size_t receiveSize)
      : FData(data), FSize(size), FReceiveSize(std::max<std::size_t>(receiveSize, 1)) {}

  void Open() override {
    TNetIOHandler::Open();
    FSourceOpen = true;
  }
  void Close() override {
    FSourceOpen = false;
    TNetIOHandler::Close();
  }
  bool Connected() override {
    return (FSourceOpen && TNetIOHandler::Connected()) || !InputBufferIsEmpty();
  }
  void CheckForDisconnect(bool ARaiseExceptionIfDisconnected, bool AIgnoreBuffer) override {
    bool disconnected = !FSourceOpen;
    if (ClosedGracefully()) {
      if (FSourceOpen)
        Close();
      disconnected = true;
    }
    if (disconnected && (AIgnoreBuffer || InputBufferIsEmpty()) && ARaiseExceptionIfDisconnected) {
      throw ENetConnClosedGracefully();
    }
  }
  // Bytes or the end are always ready.
  bool Readable(int) override { return FSourceOpen; }

 protected:
  int ReadDataFromSource(TBytes& VBuffer) override {
    const std::size_t count = std::min({FSize - FPosition, FReceiveSize, VBuffer.size()});
    if (count > 0)
      std::memcpy(VBuffer.data(), FData + FPosition, count);
    FPosition += count;
    return static_cast<int>(count);
  }
  int WriteDataToTarget(const TBytes&, int, int ALength) override { return ALength; }
  bool SourceIsAvailable() override { return FSourceOpen; }
  int CheckForError(int AErrorCode) override { return AErrorCode; }
  [[noreturn]] void RaiseError(int) override { throw ENetException(u"Memory handler error"); }

 private:
  const std::uint8_t* FData;
  std::size_t FSize;
  std::size_t FReceiveSize;
  std::size_t FPosition = 0;
  bool FSourceOpen = false;
};

}  // namespace vornel
