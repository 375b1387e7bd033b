// The two internal ways out of decoding. Both are caught by Inflate: a decoding
// error becomes an EArInflateError, a quiet stop ends inflation with result 0.
#pragma once

#include <string>

namespace vornel {

class TArDfDecodeError {
 public:
  explicit TArDfDecodeError(const char16_t* message) : FMessage(message) {}
  const std::u16string& Message() const { return FMessage; }

 private:
  std::u16string FMessage;
};

// The partial-size limit was reached or the input-progress event asked to abort.
struct TArDfQuietStop {};

}  // namespace vornel
