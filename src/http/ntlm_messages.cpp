#include "http/ntlm_messages.h"

#include <algorithm>
#include <cstring>

#include "http/des.h"
#include "platform/code_page.h"
#include "platform/text.h"

namespace vornel {

namespace {

constexpr std::uint8_t kSignature[8] = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0};

TBytes Oem(std::u16string_view text) {
  return EncodeCodePage(OemCodePage(), text);
}

TBytes Utf16LE(std::u16string_view text) {
  TBytes out;
  out.reserve(text.size() * 2);
  for (const char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

void Put16(TBytes& out, std::size_t at, std::size_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(TBytes& out, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Get32(const TBytes& in, std::size_t at) {
  return static_cast<std::uint32_t>(in[at]) | static_cast<std::uint32_t>(in[at + 1]) << 8 |
         static_cast<std::uint32_t>(in[at + 2]) << 16 |
         static_cast<std::uint32_t>(in[at + 3]) << 24;
}

// A message under construction: a fixed header with security buffers (length,
// allocated length, offset) that point into the data appended after it.
class TMessageWriter {
 public:
  TMessageWriter(std::uint32_t type, std::size_t headerSize) : FOut(headerSize, 0) {
    std::memcpy(FOut.data(), kSignature, sizeof kSignature);
    Put32(FOut, 8, type);
  }
  void Append(std::size_t bufferAt, const std::uint8_t* data, std::size_t size) {
    size = std::min<std::size_t>(size, 0xFFFF);  // what a 16-bit length can say
    Describe(bufferAt, size);
    FOut.insert(FOut.end(), data, data + size);
  }
  void Append(std::size_t bufferAt, const TBytes& data) {
    Append(bufferAt, data.data(), data.size());
  }
  // A buffer without data: length 0, at the current end.
  void AppendEmpty(std::size_t bufferAt) { Describe(bufferAt, 0); }
  TBytes& Bytes() { return FOut; }

 private:
  void Describe(std::size_t bufferAt, std::size_t size) {
    Put16(FOut, bufferAt, size);
    Put16(FOut, bufferAt + 2, size);
    Put32(FOut, bufferAt + 4, static_cast<std::uint32_t>(FOut.size()));
  }

  TBytes FOut;
};

}  // namespace

TDigest16 NTLMLMHash(std::u16string_view password) {
  TBytes key = Oem(AsciiUpperCase(password));
  key.resize(14, 0);
  static constexpr TDESBlock kMagic = {'K', 'G', 'S', '!', '@', '#', '$', '%'};
  const TDESBlock first = DESEncrypt(DESKeyFrom56Bits(key.data()), kMagic);
  const TDESBlock second = DESEncrypt(DESKeyFrom56Bits(key.data() + 7), kMagic);
  TDigest16 hash{};
  std::copy(first.begin(), first.end(), hash.begin());
  std::copy(second.begin(), second.end(), hash.begin() + 8);
  return hash;
}

TDigest16 NTLMNTHash(std::u16string_view password) {
  const TBytes bytes = Utf16LE(password);
  return MD4(bytes.data(), bytes.size());
}

TNTLMResponse NTLMResponse(const TDigest16& hash, const TNTLMServerChallenge& challenge) {
  std::uint8_t keys[21] = {};
  std::copy(hash.begin(), hash.end(), keys);
  TNTLMResponse response{};
  for (std::size_t part = 0; part < 3; ++part) {
    const TDESBlock block = DESEncrypt(DESKeyFrom56Bits(keys + 7 * part), challenge);
    std::copy(block.begin(), block.end(), response.begin() + 8 * static_cast<std::ptrdiff_t>(part));
  }
  return response;
}

TBytes NTLMType1Message(std::u16string_view domain, std::u16string_view workstation,
                        const std::optional<TNTLMVersion>& version) {
  const TBytes domainBytes = Oem(AsciiUpperCase(domain));
  const TBytes workstationBytes = Oem(AsciiUpperCase(workstation));
  std::uint32_t flags = NTLMSSP_NEGOTIATE_UNICODE | NTLMSSP_NEGOTIATE_OEM | NTLMSSP_REQUEST_TARGET |
                        NTLMSSP_NEGOTIATE_NTLM;
  if (!domainBytes.empty())
    flags |= NTLMSSP_NEGOTIATE_DOMAIN_SUPPLIED;
  if (!workstationBytes.empty())
    flags |= NTLMSSP_NEGOTIATE_WORKSTATION_SUPPLIED;
  TMessageWriter message(1, version ? 40 : 32);
  Put32(message.Bytes(), 12, flags);
  if (version)
    std::copy(version->begin(), version->end(), message.Bytes().begin() + 32);
  message.Append(24, workstationBytes);
  message.Append(16, domainBytes);
  return std::move(message.Bytes());
}

std::optional<TNTLMType2> ReadNTLMType2Message(const TBytes& message) {
  if (message.size() < 32 || std::memcmp(message.data(), kSignature, sizeof kSignature) != 0 ||
      Get32(message, 8) != 2) {
    return std::nullopt;
  }
  TNTLMType2 type2;
  type2.Flags = Get32(message, 20);
  std::copy(message.begin() + 24, message.begin() + 32, type2.Challenge.begin());
  return type2;
}

TBytes NTLMType3Message(const TNTLMType2& challenge, std::u16string_view domain,
                        std::u16string_view user, std::u16string_view workstation,
                        std::u16string_view password) {
  const bool unicode = (challenge.Flags & NTLMSSP_NEGOTIATE_UNICODE) != 0;
  const auto encode = [unicode](std::u16string_view text) {
    return unicode ? Utf16LE(text) : Oem(text);
  };
  const TNTLMResponse lm = NTLMResponse(NTLMLMHash(password), challenge.Challenge);
  const TNTLMResponse nt = NTLMResponse(NTLMNTHash(password), challenge.Challenge);

  TMessageWriter message(3, 64);
  message.Append(28, encode(AsciiUpperCase(domain)));
  message.Append(36, encode(user));
  message.Append(44, encode(AsciiUpperCase(workstation)));
  message.Append(12, lm.data(), lm.size());
  message.Append(20, nt.data(), nt.size());
  message.AppendEmpty(52);  // no session key
  Put32(message.Bytes(), 60,
        (unicode ? NTLMSSP_NEGOTIATE_UNICODE : NTLMSSP_NEGOTIATE_OEM) | NTLMSSP_NEGOTIATE_NTLM);
  return std::move(message.Bytes());
}

}  // namespace vornel
