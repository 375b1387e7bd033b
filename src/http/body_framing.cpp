// The body of a response as it is framed on the wire: counted, chunked (with
// its trailer), multipart up to the closing boundary, or read until the close.
#include "http/body_framing.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>

#include "http/charset.h"
#include "http/custom_http.h"
#include "http/header_list.h"
#include "http/text_helpers.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "transport/net_exceptions.h"

namespace vornel {

namespace {

// A body bound for a memory stream is read in pieces of this size, so that a
// declared length is never allocated before its bytes arrive.
constexpr std::int64_t kPieceSize = 1 << 20;

}  // namespace

bool IsChunked(const TNetHTTPResponse& response) {
  return http_text::ContainsNoCase(response.TransferEncoding, u"chunked");
}

bool IsMultipart(const TNetHTTPResponse& response) {
  return http_text::StartsWithNoCase(MediaTypeOf(response.ContentType), u"multipart/");
}

void TNetCustomHTTP::ReadBody(TNetHTTPResponse& AResponse, TStream* ATarget) {
  // A close by the peer before the body is complete raises, saying what arrived.
  // A Disconnect of the caller's own during the read (a cancel from a work
  // event) is no cut: a counted body or one read until the close then ends
  // quietly, a chunked one with the plain "Connection Closed Gracefully.".
  const std::uint64_t disconnects = FDisconnects;
  const std::int64_t start = ATarget ? ATarget->Position() : 0;
  const auto arrived = [&]() -> std::int64_t { return ATarget ? ATarget->Position() - start : -1; };
  if (IsChunked(AResponse)) {
    ReadChunked(AResponse, ATarget);
  } else if (AResponse.HasContentLength() && AResponse.ContentLength > 0) {
    try {
      ReadCounted(ATarget, AResponse.ContentLength);
    } catch (const ENetConnClosedGracefully&) {
      if (FDisconnects != disconnects)
        return;  // the stream keeps what arrived
      const std::int64_t got = arrived();
      throw ENetConnClosedGracefully(
          u"The connection closed after " +
          (got >= 0 ? IntToText(got) + u" of " : std::u16string(u"fewer than ")) +
          IntToText(AResponse.ContentLength) + u" bytes of the body.");
    }
  } else if (AResponse.HasContentLength()) {
    // Length 0: nothing to read.
  } else if (IsMultipart(AResponse)) {
    ReadMIME(AResponse, ATarget);
  } else if (ATarget) {
    IOHandler()->ReadStream(ATarget, -1, true);
    // Only its end delimits this body; over TLS a bare close may be a cut.
    if (FDisconnects == disconnects && IOHandler()->EndedWithoutCloseNotify()) {
      throw ENetConnClosedGracefully(
          u"The connection ended without a TLS close notification after " + IntToText(arrived()) +
          u" bytes of the body; it may be incomplete.");
    }
  } else {
    IOHandler()->DiscardAll();
  }
}

void TNetCustomHTTP::ReadCounted(TStream* ATarget, std::int64_t ACount) {
  TNetIOHandler& handler = *IOHandler();
  if (!ATarget) {
    handler.Discard(ACount);
  } else if (!dynamic_cast<TMemoryStream*>(ATarget)) {
    handler.ReadStream(ATarget, ACount, false);
  } else {
    // One scope around the pieces, so the events are those of one counted read.
    TNetWorkBracket bracket(*this, wmRead, ACount);
    for (std::int64_t left = ACount; left > 0;) {
      const std::int64_t piece = std::min(left, kPieceSize);
      handler.ReadStream(ATarget, piece, false);
      left -= piece;
    }
  }
}

std::int32_t TNetCustomHTTP::ChunkSize() {
  std::u16string line = InternalReadLn();
  line = Trim(http_text::Fetch(line, u";"));
  const std::optional<std::int64_t> size = http_text::ParseHex(line);
  // Not a number is no last chunk: what follows would be read as trailers.
  if (!size || *size > INT32_MAX) {
    throw ENetHTTPMalformedResponse(u"Invalid chunk size line: \"" + line + u"\".",
                                    Response().ResponseCode());
  }
  return static_cast<std::int32_t>(*size);
}

void TNetCustomHTTP::ReadChunked(TNetHTTPResponse& AResponse, TStream* ATarget) {
  DoStatus(hsStatusText, {u"Chunk Started"});
  TNetWorkBracket bracket(*this, wmRead, 0);
  const std::uint64_t disconnects = FDisconnects;
  std::int64_t data = 0;
  try {
    for (std::int32_t size = ChunkSize(); size != 0; size = ChunkSize()) {
      if (ATarget && OnChunkReceived) {
        TBytes chunk;
        IOHandler()->ReadBytes(chunk, size, false);
        OnChunkReceived(*this, chunk);
        if (!chunk.empty()) {
          ATarget->WriteBuffer(chunk.data(), static_cast<std::int64_t>(chunk.size()));
        }
      } else {
        ReadCounted(ATarget, size);
      }
      data += size;
      InternalReadLn();
    }
  } catch (const ENetConnClosedGracefully&) {
    // A cancel of the caller's own raises the plain close, without more words.
    if (FDisconnects != disconnects)
      throw;
    throw ENetConnClosedGracefully(
        u"The connection closed before the last chunk of the body, after " + IntToText(data) +
        u" bytes in complete chunks.");
  }
  std::int32_t count = static_cast<std::int32_t>(AResponse.RawHeaders.Count());
  for (std::u16string line = InternalReadLn(); !line.empty(); line = InternalReadLn())
    AddHeaderLine(AResponse, count, std::move(line));
}

void TNetCustomHTTP::ReadMIME(TNetHTTPResponse& AResponse, TStream* ATarget) {
  const std::u16string boundary = ExtractHeaderSubItem(AResponse.ContentType, u"boundary");
  const std::string delimiter = "--" + http_text::ToAscii(boundary) + "--";
  const TBytes pattern(delimiter.begin(), delimiter.end());
  const int length = static_cast<int>(pattern.size());
  TNetIOHandler& handler = *IOHandler();
  TNetBuffer& buffer = handler.InputBuffer();
  auto move = [&](int count) {
    if (count <= 0)
      return;
    if (ATarget) {
      buffer.ExtractToStream(ATarget, count);
    } else {
      buffer.Remove(count);
    }
  };
  TNetWorkBracket bracket(*this, wmRead, 0);
  try {
    for (;;) {
      const int at = buffer.IndexOf(pattern);
      if (at >= 0) {
        move(at + length);
        InternalReadLn();
        break;
      }
      move(buffer.Size() - length + 1);
      // Waits briefly instead of polling in a tight loop.
      handler.CheckForDataOnSource(50);
      handler.CheckForDisconnect(true, true);
    }
  } catch (const ENetConnClosedGracefully&) {
    move(buffer.Size());
  }
}

}  // namespace vornel
