// The default handler class and the registered handler classes. A class is
// described by its name and a maker; TNetIOHandlerStack is the default and the
// first registered.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "transport/io_handler.h"
#include "transport/net_exceptions.h"

namespace vornel {

struct TNetIOHandlerClass {
  std::u16string Name;
  std::function<std::unique_ptr<TNetIOHandler>()> Make;
};

template <typename T>
TNetIOHandlerClass NetIOHandlerClassOf(std::u16string AName) {
  return {std::move(AName), [] { return std::unique_ptr<TNetIOHandler>(std::make_unique<T>()); }};
}

class TNetIOHandlerRegistry {
 public:
  static void SetDefaultClass(TNetIOHandlerClass AClass);
  // Appends unless a class of the same name is registered.
  static void RegisterIOHandler(TNetIOHandlerClass AClass);
  static std::unique_ptr<TNetIOHandler> MakeDefaultIOHandler();

  // The most recently registered class whose handlers are a T; none: null.
  template <typename T>
  static std::unique_ptr<T> TryMakeIOHandler() {
    for (int i = Count() - 1; i >= 0; --i) {
      std::unique_ptr<TNetIOHandler> handler = At(i).Make();
      if (auto* typed = dynamic_cast<T*>(handler.get())) {
        handler.release();
        return std::unique_ptr<T>(typed);
      }
    }
    return nullptr;
  }
  // The same; none raises ENetException "No IOHandler of type %s is installed.".
  template <typename T>
  static std::unique_ptr<T> MakeIOHandler(const std::u16string& ATypeName) {
    std::unique_ptr<T> handler = TryMakeIOHandler<T>();
    if (!handler)
      RaiseNotInstalled(ATypeName);
    return handler;
  }

 private:
  static int Count();
  static TNetIOHandlerClass At(int AIndex);
  [[noreturn]] static void RaiseNotInstalled(const std::u16string& ATypeName);
};

}  // namespace vornel
