#include "transport/io_handler_stack.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "transport/anti_freeze.h"
#include "transport/net_exceptions.h"
#include "transport/socket/socket_error.h"

namespace vornel {

bool TNetIOHandlerStack::Connected() {
  try {
    ReadFromSource(false, 0, false);
  } catch (const ENetSocketError&) {
    // A connection that failed while nobody read is over, not an error of the
    // question whether it is alive.
    SetClosedGracefully(true);
    CheckForDisconnect(false, false);
  }
  return TNetIOHandlerSocket::Connected();
}

void TNetIOHandlerStack::ConnectClient() {
  TNetIOHandlerSocket::ConnectClient();
  std::u16string host = Host();
  int port = Port();
  TNetIPVersion ipVersion = IPVersion();
  TNetCustomTransparentProxy* proxy = GetTransparentProxy();
  const bool viaProxy = proxy && proxy->Enabled();
  if (viaProxy) {
    host = proxy->Host();
    port = proxy->Port();
    ipVersion = proxy->IPVersion();
  }
  std::u16string ip;
  TNetStack& stack = GStack();
  if (ipVersion == Net_IPv4) {
    if (TNetStack::IsIP(host)) {
      ip = host;
    } else {
      DoStatus(hsResolving, {host});
      ip = stack.ResolveHost(host, ipVersion);
    }
  } else {
    if (!stack.IsValidIPv6(host, &ip)) {
      DoStatus(hsResolving, {host});
      ip = stack.ResolveHost(host, ipVersion);
    }
  }
  Binding()->SetPeer(ip, static_cast<std::uint16_t>(port), ipVersion);
  DoStatus(hsConnecting, {ip});

  int timeout = ConnectTimeout();
  if (timeout == 0 && TNetAntiFreezeBase::ShouldUse()) {
    timeout = TNetAntiFreezeBase::ConnectTimeoutMs;
  }
  if (timeout != 0) {
    TimedConnect(timeout);
  } else {
    DoConnect();
  }
  if (viaProxy)
    proxy->Connect(*this, Host(), Port(), IPVersion());
}

void TNetIOHandlerStack::DoConnect() {
  Binding()->Connect();
}

void TNetIOHandlerStack::TimedConnect(int ATimeout) {
  struct TState {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
    std::exception_ptr Error;
  };
  auto state = std::make_shared<TState>();
  std::thread thread([this, state] {
    std::exception_ptr error;
    try {
      DoConnect();
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard lock(state->Lock);
    state->Error = error;
    state->Finished = true;
    state->Done.notify_all();
  });
  // Ends the pending connect and waits for the thread; the abort is repeated in
  // case the thread had not yet begun its connect the first time.
  auto stop = [&] {
    std::unique_lock lock(state->Lock);
    while (!state->Finished) {
      lock.unlock();
      if (Binding())
        Binding()->AbortConnect();
      lock.lock();
      state->Done.wait_for(lock, std::chrono::milliseconds(10));
    }
    lock.unlock();
    thread.join();
  };

  const bool useHook = TNetAntiFreezeBase::ShouldUse();
  const int step = useHook ? TNetAntiFreezeBase::SliceMs() : 125;
  const std::uint64_t start = TickCount();
  for (;;) {
    {
      std::unique_lock lock(state->Lock);
      if (state->Done.wait_for(lock, std::chrono::milliseconds(step),
                               [&] { return state->Finished; })) {
        break;
      }
    }
    if (ATimeout >= 0 && TickCount() - start >= static_cast<std::uint64_t>(ATimeout)) {
      Close();
      stop();
      throw ENetConnectTimeout();
    }
    if (useHook) {
      TNetAntiFreezeBase::DoProcess(true);
      if (!SourceIsAvailable()) {
        // The hook closed the connection while it was being made.
        stop();
        throw ENetConnClosedGracefully();
      }
    }
  }
  thread.join();
  if (!state->Error) {
    if (!SourceIsAvailable())
      throw ENetConnClosedGracefully();
    return;
  }
  try {
    std::rethrow_exception(state->Error);
  } catch (const ENetSocketError& e) {
    if (e.LastError() == Net_WSAEBADF || e.LastError() == Net_WSAENOTSOCK) {
      throw ENetConnectException(e.Message());
    }
    throw;
  } catch (const ENetException&) {
    throw;
  } catch (const Exception& e) {
    throw ENetConnectException(e.Message());
  }
}

}  // namespace vornel
