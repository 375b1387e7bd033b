// The authentication object a request or a proxy carries. A scheme derives from
// it and answers challenges step by step: Next tells the HTTP client whether to
// send the request again, to ask the program for credentials, or to give up, and
// Authentication gives the text of the "Authorization" (or "Proxy-Authorization")
// header for the current step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "http/header_list.h"
#include "transport/socket/net_exception.h"

namespace vornel {

enum TNetAuthWhatsNext { wnAskTheProgram, wnDoRequest, wnFail };

class TNetAuthentication {
 public:
  TNetAuthentication() = default;
  virtual ~TNetAuthentication() = default;
  TNetAuthentication(const TNetAuthentication&) = delete;
  TNetAuthentication& operator=(const TNetAuthentication&) = delete;

  TNetAuthWhatsNext Next() { return DoNext(); }
  // How many steps the scheme takes until it is done.
  virtual std::int32_t GetSteps() const { return 0; }
  virtual void SetPassword(const std::u16string& password) { FPassword = password; }
  virtual void SetUserName(const std::u16string& userName) { FUserName = userName; }
  virtual void Reset() { FCurrentStep = 0; }
  // The method and the request target of the request about to go out.
  virtual void SetRequest(const std::u16string& method, const std::u16string& uri) {
    (void)method;
    (void)uri;
  }
  virtual std::u16string Authentication() = 0;
  // Whether the scheme needs the connection kept open between its steps.
  virtual bool KeepAlive() const { return false; }

  std::int32_t CurrentStep() const { return FCurrentStep; }
  const std::u16string& UserName() const { return FUserName; }
  const std::u16string& Password() const { return FPassword; }

  // What the scheme read from the challenge, and the "Authorization" text the HTTP
  // client stores; lines "name: value".
  TNetHeaderList Params;
  // The challenge lines of the last 401 or 407, each "Scheme parameters".
  TNetHeaderList AuthParams;
  std::u16string Charset;

 protected:
  virtual TNetAuthWhatsNext DoNext() = 0;

  // The challenge line of AuthParams for a scheme: the first that begins with the
  // scheme's name (without case) followed by a blank or nothing. Empty when none.
  std::u16string ChallengeOf(std::u16string_view scheme) const;

  std::int32_t FCurrentStep = 0;

 private:
  std::u16string FUserName;
  std::u16string FPassword;
};

// A Digest challenge names a hash algorithm other than MD5 and MD5-sess.
class ENetInvalidAlgorithm : public ENetException {
 public:
  ENetInvalidAlgorithm()
      : ENetException(
            u"Unsupported hash algorithm. This implementation supports only MD5 encoding.") {}
};

// A Basic authentication object for the user name and password; none while no
// scheme is registered for "Basic".
std::unique_ptr<TNetAuthentication> MakeBasicAuthentication(const std::u16string& username,
                                                            const std::u16string& password);

}  // namespace vornel
