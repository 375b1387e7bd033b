// The HTTP client as the download step uses it: one GET of an absolute address into
// a stream, the read-mode work events around the body, and a disconnect that the
// cancel button calls from inside those events (or from the idle hook's pump while
// the client connects). The window's client is the HTTPS one; tests script their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/stream.h"
#include "transport/net_component.h"

namespace vornel {

class TDownloadClient {
 public:
  virtual ~TDownloadClient() = default;

  // The body into the stream; failures raise.
  virtual void Get(const std::u16string& url, TStream& stream) = 0;
  // Closes the connection; a GET under way then ends (normally or by an exception).
  virtual void Disconnect() = 0;

  std::function<void(TWorkMode workMode, std::int64_t workCountMax)> OnWorkBegin;
  std::function<void(TWorkMode workMode, std::int64_t workCount)> OnWork;
  std::function<void(TWorkMode workMode)> OnWorkEnd;
};

}  // namespace vornel
