#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "http/body_charset.h"
#include "http/compressor.h"
#include "platform/memory_stream.h"

namespace vornel {
namespace {

// zlib's own encoder with the given window bits: 15 zlib, -15 raw, 31 gzip.
std::string Deflate(const std::string& text, int windowBits) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, text.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string Decode(const std::string& encoded, bool gzip) {
  TMemoryStream in, out;
  in.Write(encoded.data(), static_cast<std::int64_t>(encoded.size()));
  in.SetPosition(0);
  TNetCompressorZLib z;
  if (gzip) {
    z.DecompressGZipStream(in, out);
  } else {
    z.DecompressDeflateStream(in, out);
  }
  return std::string(out.Bytes().begin(), out.Bytes().end());
}

TEST(Compressor, DeflateWrappedAndRawAndGzipMembers) {
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text += "line " + std::to_string(i) + "\n";
  EXPECT_EQ(Decode(Deflate(text, 15), false), text);
  EXPECT_EQ(Decode(Deflate(text, -15), false), text);
  EXPECT_EQ(Decode(Deflate(text, 31), true), text);
  EXPECT_EQ(Decode(Deflate("ab", 31) + Deflate("cd", 31), true), "abcd");
}

TEST(Compressor, CorruptOrCutBodiesRaise) {
  const std::string gz = Deflate(std::string(5000, 'x') + "tail", 31);
  EXPECT_THROW(Decode(gz.substr(0, gz.size() / 2), true), ENetDecompressionError);
  EXPECT_THROW(Decode("this is not compressed", true), ENetDecompressionError);
}

TEST(BodyCharSet, MetaHTTPEquivFieldsAndCharset) {
  const std::string html =
      "<html><head><!-- <meta http-equiv=\"X-Hidden\" content=\"1\"> -->"
      "<META HTTP-EQUIV='Content-Type' CONTENT='text/html; charset=windows-1250'>"
      "<meta http-equiv=Refresh content=\"5; url=/next\"/>"
      "<meta name=\"x\" content=\"no equiv\"></head><body><meta charset=\"late\">";
  const TMetaHTTPEquiv meta =
      ScanMetaHTTPEquiv(reinterpret_cast<const std::uint8_t*>(html.data()), html.size());
  ASSERT_EQ(meta.Fields.size(), 2u);
  EXPECT_EQ(meta.Fields[0].first, u"Content-Type");
  EXPECT_EQ(meta.Fields[0].second, u"text/html; charset=windows-1250");
  EXPECT_EQ(meta.Fields[1].first, u"Refresh");
  EXPECT_EQ(meta.Fields[1].second, u"5; url=/next");
  EXPECT_EQ(meta.CharSet, u"windows-1250");

  const std::string html5 = "<!doctype html><meta charset=utf-8><title>x";
  EXPECT_EQ(
      ScanMetaHTTPEquiv(reinterpret_cast<const std::uint8_t*>(html5.data()), html5.size()).CharSet,
      u"utf-8");
  const std::string cut = "<meta http-equiv=\"a";
  EXPECT_TRUE(ScanMetaHTTPEquiv(reinterpret_cast<const std::uint8_t*>(cut.data()), cut.size())
                  .Fields.empty());
}

TEST(BodyCharSet, XmlDeclarationAndByteOrderMarks) {
  auto detect = [](const std::string& s) {
    return DetectXmlCharSet(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  };
  EXPECT_EQ(detect("<?xml version=\"1.0\" encoding=\"windows-1250\"?><a/>"), u"windows-1250");
  EXPECT_EQ(detect("<?xml version='1.0'?><a/>"), u"");
  EXPECT_EQ(detect("\xEF\xBB\xBF<a/>"), u"UTF-8");
  EXPECT_EQ(detect("\xFF\xFE<\0a\0"), u"UTF-16LE");
  EXPECT_EQ(detect("<a encoding=\"x\"/>"), u"");
  EXPECT_EQ(detect("<?xml encoding=\"x\""), u"");
}

}  // namespace
}  // namespace vornel
