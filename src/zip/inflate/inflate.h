// The inflater: decodes a deflate or deflate64 stream from a source stream into a
// destination stream.
#pragma once

#include <cstdint>

#include "platform/exception.h"
#include "platform/stream.h"
#include "zip/inflate/deflate_helper.h"

namespace vornel {

// Damaged compressed data. The message is "Inflate error, possibly a corrupted
// compressed stream. (Internal cause: <what went wrong>)".
class EArInflateError : public Exception {
 public:
  using Exception::Exception;
};

// Decodes from source's position into dest's position and returns the CRC-32 of
// the decoded bytes (Adler-32 with dfc_UseAdler32). settings may be null (defaults:
// plain deflate); it is only read on entry, and on return its NormalSize holds the
// bytes produced and its CompressedSize the source bytes consumed.
//
// dest receives writes of exactly 32768 bytes while decoding and one final write of
// the rest. source is left just after the last byte the decoder consumed, so bytes
// after the final block stay unread.
//
// Damaged data raises EArInflateError; bytes written before it stay in dest.
// Reaching PartialSize, or an abort from OnProgressStep, ends quietly with result 0.
// Exceptions of the streams (for instance a short write) pass through unchanged.
std::uint32_t Inflate(TStream& source, TStream& dest, TArDeflateHelper* settings = nullptr);

}  // namespace vornel
