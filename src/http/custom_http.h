// The HTTP client component: a TCP client that sends one request at a time and
// copies the response body into a stream.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "http/authentication_manager.h"
#include "http/authentication_registry.h"
#include "http/compressor.h"
#include "http/cookie_manager.h"
#include "http/http_exceptions.h"
#include "http/http_types.h"
#include "http/proxy_connection_info.h"
#include "http/request_header_info.h"
#include "http/response_header_info.h"
#include "http/uri.h"
#include "platform/memory_stream.h"
#include "transport/tcp_client.h"

namespace vornel {

class TNetCustomHTTP;

using TNetHTTPRedirectEvent = std::function<void(TNetCustomHTTP& ASender, std::u16string& VLocation,
                                                 std::u16string& VMethod, bool& VHandled)>;
using TNetHTTPHeadersAvailableEvent =
    std::function<void(TNetCustomHTTP& ASender, TNetHeaderList& AHeaders, bool& VContinue)>;
using TNetHTTPChunkReceivedEvent = std::function<void(TNetCustomHTTP& ASender, TBytes& VChunk)>;

// May change the scheme class chosen for the challenges (AAuthInfo).
using TNetSelectAuthorizationEvent =
    std::function<void(TNetCustomHTTP& ASender, TNetAuthenticationClass& VAuthenticationClass,
                       const std::vector<std::u16string>& AAuthInfo)>;
// Fills in credentials for a scheme that asks the program; VHandled true sends them.
using TNetAuthorizationEvent = std::function<void(
    TNetCustomHTTP& ASender, TNetAuthentication& AAuthentication, bool& VHandled)>;

// Status codes that do not raise.
using TNetIgnoreReplies = std::span<const std::int16_t>;

// The request and the response of one exchange.
struct TNetHTTPProtocol {
  TNetHTTPRequest Request;
  TNetHTTPResponse Response;
};

class TNetCustomHTTP : public TNetTCPClientCustom {
 public:
  TNetCustomHTTP();
  ~TNetCustomHTTP() override;

  // --- Requests ---
  void Get(const std::u16string& AURL, TStream& AResponseContent);
  void Get(const std::u16string& AURL, TStream& AResponseContent, TNetIgnoreReplies AIgnoreReplies);
  std::u16string Get(const std::u16string& AURL);
  std::u16string Get(const std::u16string& AURL, TNetIgnoreReplies AIgnoreReplies);
  void Head(const std::u16string& AURL);
  void Delete(const std::u16string& AURL, TStream& AResponseContent);
  std::u16string Delete(const std::u16string& AURL);
  void Options(const std::u16string& AURL, TStream& AResponseContent);
  std::u16string Options(const std::u16string& AURL);
  void Trace(const std::u16string& AURL, TStream& AResponseContent);
  std::u16string Trace(const std::u16string& AURL);
  void Put(const std::u16string& AURL, TStream& ASource, TStream& AResponseContent);
  std::u16string Put(const std::u16string& AURL, TStream& ASource);
  void Patch(const std::u16string& AURL, TStream& ASource, TStream& AResponseContent);
  std::u16string Patch(const std::u16string& AURL, TStream& ASource);
  void Post(const std::u16string& AURL, TStream& ASource, TStream& AResponseContent);
  std::u16string Post(const std::u16string& AURL, TStream& ASource);

  // The request cycle behind every request; a null AResponseContent discards the body.
  void DoRequest(const std::u16string& AMethod, const std::u16string& AURL, TStream* ASource,
                 TStream* AResponseContent, TNetIgnoreReplies AIgnoreReplies = {});

  std::int32_t ResponseCode() { return Response().ResponseCode(); }
  const std::u16string& ResponseText() { return Response().ResponseText(); }

  // --- Settings ---
  bool AllowCookies = true;
  bool HandleRedirects = false;
  std::int32_t RedirectMaximum = 15;
  TNetHTTPProtocolVersion ProtocolVersion = pv1_1;
  TNetHTTPOptions HTTPOptions{hoForceEncodeParams};
  std::int32_t MaxAuthRetries = 3;
  // More header lines than this (when positive) make the response corrupt.
  std::int32_t MaxHeaderLines = 255;
  TNetProxyConnectionInfo ProxyParams;
  // Not owned; must outlive its use by this component.
  TNetZLibCompressorBase* Compressor = nullptr;

  // The cookie store. Without one and with AllowCookies, the first response makes
  // one that the component owns; assigning another frees that one. An assigned
  // manager is not owned and is forgotten when it is destroyed.
  TNetCookieManager* CookieManager() const { return FCookieManager; }
  void SetCookieManager(TNetCookieManager* AValue);
  // Where authentications that went through all their steps are remembered; not
  // owned, forgotten when destroyed.
  TNetAuthenticationManager* AuthenticationManager() const { return FAuthenticationManager; }
  void SetAuthenticationManager(TNetAuthenticationManager* AValue);

  TNetHTTPRequest& Request() { return FHTTPProto->Request; }
  TNetHTTPResponse& Response() { return FHTTPProto->Response; }
  // The URI of the current request; relative URLs are resolved against it.
  TNetURI& URL() { return FURI; }

  // --- Run-time state ---
  std::int32_t RedirectCount = 0;
  std::int32_t AuthRetries = 0;
  std::int32_t AuthProxyRetries = 0;

  // --- Events ---
  TNetHTTPRedirectEvent OnRedirect;
  TNetHTTPHeadersAvailableEvent OnHeadersAvailable;
  TNetHTTPChunkReceivedEvent OnChunkReceived;
  TNetSelectAuthorizationEvent OnSelectAuthorization;
  TNetSelectAuthorizationEvent OnSelectProxyAuthorization;
  TNetAuthorizationEvent OnAuthorization;
  TNetAuthorizationEvent OnProxyAuthorization;

 protected:
  // Cookies of a response into the cookie manager, and the "Cookie" line of a
  // request; whether to answer a 401 or 407 with credentials.
  virtual void ProcessCookies(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse);
  virtual void SetCookies(const TNetURI& AURI, TNetHTTPRequest& ARequest);
  virtual bool DoOnAuthorization(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse);
  virtual bool DoOnProxyAuthorization(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse);
  // The answer starts as HandleRedirects; OnRedirect may change it.
  virtual bool DoOnRedirect(std::u16string& VLocation, std::u16string& VMethod,
                            std::int32_t ARedirectCount);

  void Notification(TNetComponent& AComponent) override;
  // A request's authentication that has gone through all its steps is remembered
  // and dropped, so that the next 401 starts over.
  void DoOnDisconnected() override;

  void PrepareRequest(TNetHTTPRequest& ARequest);
  void ConnectToHost(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse);
  void BuildAndSendRequest(TNetHTTPRequest& ARequest, const TNetURI* AURI);

 private:
  TNetHTTPConnectionType SetHostAndPort();
  void CheckAndConnect(TNetHTTPResponse& AResponse);
  void MakeTunnel(TNetHTTPRequest& ARequest);
  bool KeepAliveOf(TNetHTTPResponse& AResponse);
  void WireResponse(TNetHTTPResponse& AResponse);

  // TLS: whether a TLS-capable handler is assigned, making one when none is;
  // setting its target and pass-through.
  void PrepareTLSHandler(TNetHTTPConnectionType AType);
  void SetURIToCheck();

  std::u16string InternalReadLn();
  void ReadStatusAndHeaders(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse);
  void RetrieveHeaders(TNetHTTPResponse& AResponse);
  // Adds a header line (of the head or of a chunked body's trailer), counting it
  // in VCount against MaxHeaderLines.
  void AddHeaderLine(TNetHTTPResponse& AResponse, std::int32_t& VCount, std::u16string ALine);
  TNetHTTPWhatsNext ProcessResponse(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse,
                                    TNetIgnoreReplies AIgnoreReplies);
  void CheckException(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse,
                      TNetIgnoreReplies AIgnoreReplies);
  void DiscardContent(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse);
  void ReadContent(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse);
  bool ShouldRead(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse);
  bool PendingData(int ATimeout);
  void ReadResult(TNetHTTPResponse& AResponse);
  // The body framings (body_framing.cpp).
  void ReadBody(TNetHTTPResponse& AResponse, TStream* ATarget);
  // A counted read; a memory stream is filled piece by piece instead of being
  // enlarged to the declared count first.
  void ReadCounted(TStream* ATarget, std::int64_t ACount);
  void ReadChunked(TNetHTTPResponse& AResponse, TStream* ATarget);
  std::int32_t ChunkSize();
  void ReadMIME(TNetHTTPResponse& AResponse, TStream* ATarget);
  void ProcessMetaHTTPEquiv(TNetHTTPResponse& AResponse, const std::uint8_t* AData,
                            std::size_t ASize);

  // After the connection has closed: an authentication at its last step goes
  // to the authentication manager and is freed, the proxy's is reset.
  void ConnectionClosed();
  // Chooses or keeps the authentication object for the challenges of a 401 (the
  // request's object and credentials) or a 407 (the proxy's) and runs its steps;
  // whether the request is to go out again with credentials.
  bool AnswerChallenge(std::unique_ptr<TNetAuthentication>& VAuthentication,
                       const std::vector<std::u16string>& AChallenges,
                       const TNetSelectAuthorizationEvent& AOnSelect,
                       const TNetAuthorizationEvent& AOnAuthorization, std::u16string& VUsername,
                       std::u16string& VPassword, bool* VBasicAuthentication);

  TNetURI FURI;
  TNetCookieManager* FCookieManager = nullptr;
  std::unique_ptr<TNetCookieManager> FImplicitCookieManager;
  TNetAuthenticationManager* FAuthenticationManager = nullptr;
  // Credentials were found for the last 401 or 407 and the repeated request has
  // not been answered yet; a close of the connection in between keeps them.
  bool FAuthRepeatPending = false;
  std::unique_ptr<TNetHTTPProtocol> FHTTPProto;
  bool FCloseAfterRequest = false;
  // Counts the disconnects of this component, so that a read can tell the
  // caller's own Disconnect (a cancel) from a close by the peer.
  std::uint64_t FDisconnects = 0;
};

// The component as applications place it.
class TNetHTTP : public TNetCustomHTTP {};

}  // namespace vornel
