// A variable set to a value for a scope: the value it had before is put back when
// the scope ends, on every way out.
#pragma once

#include <type_traits>
#include <utility>

namespace vornel {

template <class T>
class TScopedValue {
 public:
  TScopedValue(T& variable, std::type_identity_t<T> value)
      : FVariable(variable), FSaved(std::exchange(variable, std::move(value))) {}
  ~TScopedValue() { FVariable = std::move(FSaved); }
  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;

 private:
  T& FVariable;
  T FSaved;
};

}  // namespace vornel
