// The messages of NTLM (version 1) as HTTP carries them: the type 1 message that
// asks to authenticate, the server's type 2 challenge, and the type 3 message with
// the LAN Manager and NT responses to it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "http/message_digest.h"
#include "platform/bytes.h"

namespace vornel {

inline constexpr std::uint32_t NTLMSSP_NEGOTIATE_UNICODE = 0x00000001;
inline constexpr std::uint32_t NTLMSSP_NEGOTIATE_OEM = 0x00000002;
inline constexpr std::uint32_t NTLMSSP_REQUEST_TARGET = 0x00000004;
inline constexpr std::uint32_t NTLMSSP_NEGOTIATE_NTLM = 0x00000200;
inline constexpr std::uint32_t NTLMSSP_NEGOTIATE_DOMAIN_SUPPLIED = 0x00001000;
inline constexpr std::uint32_t NTLMSSP_NEGOTIATE_WORKSTATION_SUPPLIED = 0x00002000;

using TNTLMServerChallenge = std::array<std::uint8_t, 8>;
using TNTLMResponse = std::array<std::uint8_t, 24>;
// The optional OS version field of a type 1 message.
using TNTLMVersion = std::array<std::uint8_t, 8>;

struct TNTLMType2 {
  std::uint32_t Flags = 0;
  TNTLMServerChallenge Challenge{};
};

// The LAN Manager hash: the upper-cased password in the OEM code page, cut or
// padded to 14 bytes, as two DES keys encrypting "KGS!@#$%".
TDigest16 NTLMLMHash(std::u16string_view password);
// The NT hash: MD4 of the password in UTF-16LE.
TDigest16 NTLMNTHash(std::u16string_view password);
// A response: the hash padded to 21 bytes, as three DES keys encrypting the
// server challenge.
TNTLMResponse NTLMResponse(const TDigest16& hash, const TNTLMServerChallenge& challenge);

// Domain and workstation go in the OEM code page, upper-cased.
TBytes NTLMType1Message(std::u16string_view domain, std::u16string_view workstation,
                        const std::optional<TNTLMVersion>& version = std::nullopt);
// Nothing unless the bytes are a type 2 message long enough to hold its challenge.
std::optional<TNTLMType2> ReadNTLMType2Message(const TBytes& message);
// Strings in UTF-16LE when the challenge offers Unicode, else in the OEM code page;
// domain and workstation upper-cased, the user name as given.
TBytes NTLMType3Message(const TNTLMType2& challenge, std::u16string_view domain,
                        std::u16string_view user, std::u16string_view workstation,
                        std::u16string_view password);

}  // namespace vornel
