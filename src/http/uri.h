// A URI split into its parts, as the HTTP client keeps it between requests.
#pragma once

#include <string>

#include "transport/socket/net_exception.h"
#include "transport/socket/net_types.h"

namespace vornel {

class ENetURIException : public ENetException {
 public:
  using ENetException::ENetException;
};

class TNetURI {
 public:
  TNetURI() = default;
  explicit TNetURI(const std::u16string& uri) { SetURI(uri); }

  // Splits the text into the fields; nothing is percent-decoded.
  void SetURI(const std::u16string& uri);
  const std::u16string& URI() const { return FURI; }

  // Path, document and, when present, "?" and the query.
  std::u16string GetPathAndParams() const;
  // protocol://[user[:password]@]host[:port]path?query[#fragment]; raises
  // ENetURIException when the protocol or the host is empty.
  std::u16string GetFullURI(bool withAuthentication = true, bool withBookmark = true) const;
  // The full form without authentication information and fragment.
  std::u16string GetURI() const { return GetFullURI(false, false); }

  // Fields as public members: the request cycle reads and merges them freely.
  std::u16string Protocol;
  std::u16string Host;
  std::u16string Port;
  std::u16string Path;
  std::u16string Document;
  std::u16string Params;
  std::u16string Bookmark;
  std::u16string Username;
  std::u16string Password;
  TNetIPVersion IPVersion = Net_IPv4;

 private:
  std::u16string FURI;
};

}  // namespace vornel
