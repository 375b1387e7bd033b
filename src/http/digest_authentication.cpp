#include "http/digest_authentication.h"

#include <cstdio>

#include "http/charset.h"
#include "http/message_digest.h"
#include "http/text_helpers.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace vornel {

namespace {

// The name-value pairs of a challenge, separated by ","; a quoted value may hold
// "," and a backslash escapes the character after it.
std::vector<std::pair<std::u16string, std::u16string>> ChallengePairs(std::u16string_view text) {
  std::vector<std::pair<std::u16string, std::u16string>> pairs;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == u',' || text[at] <= u' '))
      ++at;
    const std::size_t nameStart = at;
    while (at < text.size() && text[at] != u'=' && text[at] != u',')
      ++at;
    const std::u16string name = Trim(text.substr(nameStart, at - nameStart));
    std::u16string value;
    if (at < text.size() && text[at] == u'=') {
      ++at;
      while (at < text.size() && text[at] <= u' ' && text[at] != u',')
        ++at;
      if (at < text.size() && text[at] == u'"') {
        ++at;
        while (at < text.size() && text[at] != u'"') {
          if (text[at] == u'\\' && at + 1 < text.size())
            ++at;
          value += text[at++];
        }
        ++at;  // the closing quote
        while (at < text.size() && text[at] != u',')
          ++at;
      } else {
        const std::size_t valueStart = at;
        while (at < text.size() && text[at] != u',')
          ++at;
        value = Trim(text.substr(valueStart, at - valueStart));
      }
    }
    if (!name.empty())
      pairs.emplace_back(name, std::move(value));
  }
  return pairs;
}

std::vector<std::u16string> SplitList(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string> items;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    if (std::u16string item = Trim(text.substr(start, end - start)); !item.empty())
      items.push_back(std::move(item));
    start = end + 1;
  }
  return items;
}

// A quoted-string's content: quotes and backslashes escaped; line breaks and other
// control characters, which would end the header line, left out.
std::u16string Quoted(std::u16string_view value) {
  std::u16string out = u"\"";
  for (const char16_t c : value) {
    if (c < u' ' || c == 0x7F)
      continue;
    if (c == u'"' || c == u'\\')
      out += u'\\';
    out += c;
  }
  return out + u"\"";
}

bool Offers(const std::vector<std::u16string>& list, std::u16string_view item) {
  for (const std::u16string& entry : list) {
    if (SameTextAscii(entry, item))
      return true;
  }
  return false;
}

}  // namespace

void TNetDigestAuthentication::SetRequest(const std::u16string& method, const std::u16string& uri) {
  FMethod = method;
  FURI = uri;
}

void TNetDigestAuthentication::ReadChallenge() {
  std::u16string challenge = ChallengeOf(u"Digest");
  challenge = challenge.size() > 6 ? challenge.substr(7) : std::u16string();
  for (auto& [name, value] : ChallengePairs(challenge)) {
    if (SameTextAscii(name, u"realm")) {
      Realm = value;
    } else if (SameTextAscii(name, u"nonce")) {
      if (value != Nonce)
        NonceCount = 1;
      Nonce = value;
    } else if (SameTextAscii(name, u"domain")) {
      Domain = SplitList(value, u' ');
    } else if (SameTextAscii(name, u"opaque")) {
      Opaque = value;
    } else if (SameTextAscii(name, u"stale")) {
      Stale = SameTextAscii(value, u"true");
    } else if (SameTextAscii(name, u"algorithm")) {
      if (value.empty() || SameTextAscii(value, u"MD5")) {
        Algorithm = u"MD5";
      } else if (SameTextAscii(value, u"MD5-sess")) {
        Algorithm = u"MD5-sess";
      } else {
        throw ENetInvalidAlgorithm();
      }
    } else if (SameTextAscii(name, u"qop")) {
      Qop = SplitList(value, u',');
    } else if (SameTextAscii(name, u"charset")) {
      Charset = value;
    }
  }
  if (Algorithm.empty())
    Algorithm = u"MD5";
}

TNetAuthWhatsNext TNetDigestAuthentication::DoNext() {
  if (FCurrentStep != 0)
    return wnDoRequest;
  ReadChallenge();
  if (UserName().empty())
    return wnAskTheProgram;
  FCurrentStep = 1;
  return wnDoRequest;
}

std::u16string TNetDigestAuthentication::ClientNonce() {
  char text[40];
  std::snprintf(text, sizeof text, "%.10f", Now());
  return FromUtf8(DigestToHex(MD5(text)));
}

std::u16string TNetDigestAuthentication::Authentication() {
  if (FCurrentStep == 0)
    return u"Digest";

  // The hash input: the text in the challenge's charset, ISO-8859-1 unless it
  // asked for UTF-8.
  const auto bytes = [this](std::u16string_view text) {
    const TBytes encoded = EncodeWithCharSet(Charset.empty() ? u"ISO-8859-1" : Charset, text);
    return std::string(encoded.begin(), encoded.end());
  };
  const auto hex = [](const std::string& input) { return DigestToHex(MD5(input)); };

  const std::string cnonce = ToUtf8(ClientNonce());
  const std::u16string qop =
      Offers(Qop, u"auth-int") ? u"auth-int" : (Offers(Qop, u"auth") ? u"auth" : u"");
  char count[9];
  std::snprintf(count, sizeof count, "%08X", NonceCount);

  std::string ha1 = hex(bytes(UserName()) + ":" + bytes(Realm) + ":" + bytes(Password()));
  if (SameTextAscii(Algorithm, u"MD5-sess"))
    ha1 = hex(ha1 + ":" + bytes(Nonce) + ":" + cnonce);
  std::string a2 = bytes(FMethod) + ":" + bytes(FURI);
  if (qop == u"auth-int")
    a2 += ":" + hex("");  // the authentication object sees no request body
  const std::string ha2 = hex(a2);
  const std::string response = qop.empty() ? hex(ha1 + ":" + bytes(Nonce) + ":" + ha2)
                                           : hex(ha1 + ":" + bytes(Nonce) + ":" + count + ":" +
                                                 cnonce + ":" + ToUtf8(qop) + ":" + ha2);

  std::u16string text = u"Digest ";
  const auto field = [&text](std::u16string_view name, std::u16string_view value) {
    text += name;
    text += u"=";
    text += Quoted(value);
    text += u", ";
  };
  field(u"username", UserName());
  field(u"realm", Realm);
  field(u"nonce", Nonce);
  field(u"algorithm", Algorithm);
  field(u"uri", FURI);
  if (!qop.empty()) {
    field(u"qop", qop);
    text += u"nc=" + FromUtf8(count) + u", ";
    field(u"cnonce", FromUtf8(cnonce));
  }
  text += u"response=\"" + FromUtf8(response) + u"\"";
  if (!Opaque.empty())
    text += u", opaque=" + Quoted(Opaque);
  ++NonceCount;
  FCurrentStep = 0;
  return text;
}

}  // namespace vornel
