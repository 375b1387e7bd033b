#include "transport/socket/net_stack.h"

#include <algorithm>
#include <mutex>

#include "transport/socket/native_stack.h"
#include "transport/socket/net_exception.h"
#include "transport/socket/socket_error.h"
#include "transport/socket/stack_exceptions.h"

namespace vornel {

namespace {

struct TStackState {
  std::mutex Lock;                                 // GStackCriticalSection
  std::unique_ptr<TNetStack> Stack;                // GStack
  TNetStackClass StackClass = &CreateNativeStack;  // GStackClass
  int InstanceCount = 0;                           // GInstanceCount
};

TStackState& State() {
  static TStackState state;
  return state;
}

}  // namespace

void TNetStack::IncUsage() {
  TStackState& state = State();
  std::lock_guard lock(state.Lock);
  if (state.InstanceCount == 0) {
    if (state.Stack)
      throw ENetException(u"Stack already created.");
    if (!state.StackClass)
      throw ENetException(u"Stack Class is undefined.");
    state.Stack = state.StackClass();
  }
  ++state.InstanceCount;
}

void TNetStack::DecUsage() {
  TStackState& state = State();
  std::unique_ptr<TNetStack> freed;
  {
    std::lock_guard lock(state.Lock);
    if (state.InstanceCount > 0) {
      --state.InstanceCount;
      if (state.InstanceCount == 0)
        freed = std::move(state.Stack);
    }
  }
}

TNetStack* TNetStack::Instance() {
  TStackState& state = State();
  std::lock_guard lock(state.Lock);
  return state.Stack.get();
}

void TNetStack::SetStackClass(TNetStackClass stackClass) {
  TStackState& state = State();
  std::lock_guard lock(state.Lock);
  state.StackClass = stackClass;
}

int TNetStack::UsageCount() {
  TStackState& state = State();
  std::lock_guard lock(state.Lock);
  return state.InstanceCount;
}

TNetStack& GStack() {
  TNetStack* stack = TNetStack::Instance();
  if (!stack)
    throw ENetException(u"Stack Class is undefined.");
  return *stack;
}

std::u16string TNetStack::ResolveHost(const std::u16string& host, TNetIPVersion ipVersion) {
  const bool isLocalHost = host.size() == 9 && std::equal(host.begin(), host.end(), u"LOCALHOST",
                                                          [](char16_t a, char16_t b) {
                                                            if (a >= u'a' && a <= u'z')
                                                              a -= 32;
                                                            return a == b;
                                                          });
  switch (ipVersion) {
    case Net_IPv4:
      if (isLocalHost)
        return u"127.0.0.1";
      if (IsIP(host))
        return host;
      return HostByName(host, Net_IPv4);
    case Net_IPv6: {
      if (isLocalHost)
        return u"::1";
      std::u16string canonical;
      if (IsValidIPv6(host, &canonical))
        return canonical;
      return HostByName(host, Net_IPv6);
    }
  }
  throw ENetIPVersionUnsupported();
}

bool TNetStack::IsIP(std::u16string_view ip) {
  std::size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    std::size_t end = ip.find(u'.', pos);
    if (part == 3) {
      // The fourth part runs to the end; a further dot leaves something over.
      end = ip.size();
    } else if (end == std::u16string_view::npos) {
      return false;
    }
    std::u16string_view digits = ip.substr(pos, end - pos);
    if (digits.empty())
      return false;
    int value = 0;
    for (char16_t c : digits) {
      if (c < u'0' || c > u'9')
        return false;
      value = value * 10 + (c - u'0');
      if (value > 255)
        return false;
    }
    pos = end + 1;
  }
  return true;
}

std::u16string TNetStack::WSTranslateSocketErrorMsg(int errorCode) {
  return vornel::WSTranslateSocketErrorMsg(errorCode);
}

int TNetStack::CheckForSocketError(int result) {
  if (result == Net_SOCKET_ERROR)
    RaiseLastSocketError();
  return result;
}

int TNetStack::CheckForSocketError(int result, std::initializer_list<int> ignore) {
  if (result != Net_SOCKET_ERROR)
    return result;
  const int error = WSGetLastError();
  if (std::find(ignore.begin(), ignore.end(), error) != ignore.end())
    return error;
  RaiseSocketError(error);
}

void TNetStack::RaiseLastSocketError() {
  RaiseSocketError(WSGetLastError());
}

void TNetStack::RaiseSocketError(int errorCode) {
  vornel::RaiseSocketError(errorCode);
}

}  // namespace vornel
