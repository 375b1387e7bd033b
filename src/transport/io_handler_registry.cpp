#include "transport/io_handler_registry.h"

#include <mutex>
#include <vector>

#include "transport/io_handler_stack.h"

namespace vornel {

namespace {

struct TRegistry {
  std::mutex Lock;
  TNetIOHandlerClass DefaultClass = NetIOHandlerClassOf<TNetIOHandlerStack>(u"TNetIOHandlerStack");
  std::vector<TNetIOHandlerClass> Classes{DefaultClass};
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

}  // namespace

void TNetIOHandlerRegistry::SetDefaultClass(TNetIOHandlerClass AClass) {
  TRegistry& registry = Registry();
  std::lock_guard lock(registry.Lock);
  registry.DefaultClass = std::move(AClass);
}

void TNetIOHandlerRegistry::RegisterIOHandler(TNetIOHandlerClass AClass) {
  TRegistry& registry = Registry();
  std::lock_guard lock(registry.Lock);
  for (const TNetIOHandlerClass& known : registry.Classes) {
    if (known.Name == AClass.Name)
      return;
  }
  registry.Classes.push_back(std::move(AClass));
}

std::unique_ptr<TNetIOHandler> TNetIOHandlerRegistry::MakeDefaultIOHandler() {
  TNetIOHandlerClass defaultClass;
  {
    TRegistry& registry = Registry();
    std::lock_guard lock(registry.Lock);
    defaultClass = registry.DefaultClass;
  }
  return defaultClass.Make();
}

int TNetIOHandlerRegistry::Count() {
  TRegistry& registry = Registry();
  std::lock_guard lock(registry.Lock);
  return static_cast<int>(registry.Classes.size());
}

TNetIOHandlerClass TNetIOHandlerRegistry::At(int AIndex) {
  TRegistry& registry = Registry();
  std::lock_guard lock(registry.Lock);
  return registry.Classes.at(static_cast<std::size_t>(AIndex));
}

void TNetIOHandlerRegistry::RaiseNotInstalled(const std::u16string& ATypeName) {
  throw ENetException(u"No IOHandler of type " + ATypeName + u" is installed.");
}

}  // namespace vornel
