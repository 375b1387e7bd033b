#include "http/custom_http.h"

#include <algorithm>

#include "http/body_charset.h"
#include "http/body_framing.h"
#include "http/charset.h"
#include "http/request_preparation.h"
#include "http/text_helpers.h"
#include "platform/scoped_value.h"
#include "platform/text.h"
#include "transport/io_handler_registry.h"
#include "transport/net_exceptions.h"
#include "transport/tls/ssl_io_handler.h"

namespace vornel {

namespace {

bool IsMethod(const TNetHTTPRequest& request, std::u16string_view method) {
  return SameTextAscii(request.Method, method) || SameTextAscii(request.MethodOverride, method);
}

enum class TParseForm { None, Html, Xml };

TParseForm ParseFormOf(const TNetHTTPResponse& response, TNetHTTPOptions options) {
  const std::u16string media = MediaTypeOf(response.ContentType);
  if ((SameTextAscii(media, u"text/html") || SameTextAscii(media, u"text/html-sandboxed") ||
       SameTextAscii(media, u"application/xhtml+xml")) &&
      !options.Has(hoNoParseMetaHTTPEquiv)) {
    return TParseForm::Html;
  }
  const bool xmlType =
      SameTextAscii(media, u"application/xml") ||
      SameTextAscii(media, u"application/xml-external-parsed-entity") ||
      SameTextAscii(media, u"application/xml-dtd") ||
      (!http_text::StartsWithNoCase(media, u"text/") && http_text::EndsWithNoCase(media, u"+xml"));
  if (xmlType && !options.Has(hoNoParseXmlCharset))
    return TParseForm::Xml;
  return TParseForm::None;
}

}  // namespace

TNetCustomHTTP::TNetCustomHTTP() : FHTTPProto(std::make_unique<TNetHTTPProtocol>()) {
  WireResponse(Response());
}

TNetCustomHTTP::~TNetCustomHTTP() = default;

void TNetCustomHTTP::WireResponse(TNetHTTPResponse& AResponse) {
  AResponse.ConnectionAlive = [this] {
    if (Connected())
      CheckForGracefulDisconnect(false);
    return Connected();
  };
  AResponse.ComponentVersion = [this] { return ProtocolVersion; };
}

// --- Requests ---

void TNetCustomHTTP::Get(const std::u16string& AURL, TStream& AResponseContent) {
  DoRequest(u"GET", AURL, nullptr, &AResponseContent);
}

void TNetCustomHTTP::Get(const std::u16string& AURL, TStream& AResponseContent,
                         TNetIgnoreReplies AIgnoreReplies) {
  DoRequest(u"GET", AURL, nullptr, &AResponseContent, AIgnoreReplies);
}

namespace {

// Runs a request into a memory stream and decodes the body with the response's charset.
template <typename Request>
std::u16string AsText(TNetCustomHTTP& http, Request request) {
  TMemoryStream body;
  request(body);
  return DecodeWithCharSet(http.Response().CharSet, body.Memory(),
                           static_cast<std::size_t>(body.Size()));
}

}  // namespace

std::u16string TNetCustomHTTP::Get(const std::u16string& AURL) {
  return AsText(*this, [&](TStream& s) { Get(AURL, s); });
}

std::u16string TNetCustomHTTP::Get(const std::u16string& AURL, TNetIgnoreReplies AIgnoreReplies) {
  return AsText(*this, [&](TStream& s) { Get(AURL, s, AIgnoreReplies); });
}

void TNetCustomHTTP::Head(const std::u16string& AURL) {
  DoRequest(u"HEAD", AURL, nullptr, nullptr);
}

void TNetCustomHTTP::Delete(const std::u16string& AURL, TStream& AResponseContent) {
  DoRequest(u"DELETE", AURL, nullptr, &AResponseContent);
}

std::u16string TNetCustomHTTP::Delete(const std::u16string& AURL) {
  return AsText(*this, [&](TStream& s) { Delete(AURL, s); });
}

void TNetCustomHTTP::Options(const std::u16string& AURL, TStream& AResponseContent) {
  DoRequest(u"OPTIONS", AURL, nullptr, &AResponseContent);
}

std::u16string TNetCustomHTTP::Options(const std::u16string& AURL) {
  return AsText(*this, [&](TStream& s) { Options(AURL, s); });
}

void TNetCustomHTTP::Trace(const std::u16string& AURL, TStream& AResponseContent) {
  DoRequest(u"TRACE", AURL, nullptr, &AResponseContent);
}

std::u16string TNetCustomHTTP::Trace(const std::u16string& AURL) {
  return AsText(*this, [&](TStream& s) { Trace(AURL, s); });
}

void TNetCustomHTTP::Put(const std::u16string& AURL, TStream& ASource, TStream& AResponseContent) {
  DoRequest(u"PUT", AURL, &ASource, &AResponseContent);
}

std::u16string TNetCustomHTTP::Put(const std::u16string& AURL, TStream& ASource) {
  return AsText(*this, [&](TStream& s) { Put(AURL, ASource, s); });
}

void TNetCustomHTTP::Patch(const std::u16string& AURL, TStream& ASource,
                           TStream& AResponseContent) {
  DoRequest(u"PATCH", AURL, &ASource, &AResponseContent);
}

std::u16string TNetCustomHTTP::Patch(const std::u16string& AURL, TStream& ASource) {
  return AsText(*this, [&](TStream& s) { Patch(AURL, ASource, s); });
}

void TNetCustomHTTP::Post(const std::u16string& AURL, TStream& ASource, TStream& AResponseContent) {
  // Without hoKeepOrigProtocol a post goes out as HTTP/1.0 on a fresh connection.
  if (HTTPOptions.Has(hoKeepOrigProtocol)) {
    DoRequest(u"POST", AURL, &ASource, &AResponseContent);
    return;
  }
  if (Connected())
    Disconnect();
  const TScopedValue version(ProtocolVersion, pv1_0);
  DoRequest(u"POST", AURL, &ASource, &AResponseContent);
}

std::u16string TNetCustomHTTP::Post(const std::u16string& AURL, TStream& ASource) {
  return AsText(*this, [&](TStream& s) { Post(AURL, ASource, s); });
}

// --- Hooks ---

void TNetCustomHTTP::SetCookieManager(TNetCookieManager* AValue) {
  if (AValue == FCookieManager)
    return;
  if (FImplicitCookieManager) {
    FCookieManager = nullptr;
    FImplicitCookieManager.reset();
  } else if (FCookieManager) {
    RemoveFreeNotification(*FCookieManager);
  }
  FCookieManager = AValue;
  if (FCookieManager)
    FreeNotification(*FCookieManager);
}

void TNetCustomHTTP::SetAuthenticationManager(TNetAuthenticationManager* AValue) {
  if (AValue == FAuthenticationManager)
    return;
  if (FAuthenticationManager)
    RemoveFreeNotification(*FAuthenticationManager);
  FAuthenticationManager = AValue;
  if (FAuthenticationManager)
    FreeNotification(*FAuthenticationManager);
}

void TNetCustomHTTP::Notification(TNetComponent& AComponent) {
  if (&AComponent == FCookieManager)
    FCookieManager = nullptr;
  if (&AComponent == FAuthenticationManager)
    FAuthenticationManager = nullptr;
  TNetTCPClientCustom::Notification(AComponent);
}

void TNetCustomHTTP::DoOnDisconnected() {
  ++FDisconnects;
  TNetTCPClientCustom::DoOnDisconnected();
  ConnectionClosed();
}

void TNetCustomHTTP::ConnectionClosed() {
  if (FAuthRepeatPending)
    return;
  std::unique_ptr<TNetAuthentication>& authentication = Request().Authentication;
  if (authentication && authentication->CurrentStep() == authentication->GetSteps()) {
    if (FAuthenticationManager)
      FAuthenticationManager->AddAuthentication(*authentication, FURI);
    authentication.reset();
  }
  TNetAuthentication* proxy = ProxyParams.Authentication.get();
  if (proxy && proxy->CurrentStep() == proxy->GetSteps())
    proxy->Reset();
}

void TNetCustomHTTP::ProcessCookies(TNetHTTPRequest&, TNetHTTPResponse& AResponse) {
  if (!FCookieManager && AllowCookies) {
    FImplicitCookieManager = std::make_unique<TNetCookieManager>();
    FCookieManager = FImplicitCookieManager.get();
  }
  if (!FCookieManager || !AllowCookies)
    return;
  std::vector<std::u16string> cookies = AResponse.RawHeaders.Values(u"Set-Cookie");
  for (std::u16string& cookie : AResponse.MetaHTTPEquiv.RawHeaders.Values(u"Set-Cookie"))
    cookies.push_back(std::move(cookie));
  FCookieManager->AddServerCookies(cookies, FURI);
}

void TNetCustomHTTP::SetCookies(const TNetURI& AURI, TNetHTTPRequest& ARequest) {
  if (FCookieManager && AllowCookies && !SameTextAscii(ARequest.Method, u"CONNECT")) {
    FCookieManager->GenerateClientCookies(AURI, SameTextAscii(AURI.Protocol, u"HTTPS"),
                                          ARequest.RawHeaders);
  }
}

bool TNetCustomHTTP::DoOnAuthorization(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse) {
  ++AuthRetries;
  const bool answer = AnswerChallenge(ARequest.Authentication, AResponse.WWWAuthenticate,
                                      OnSelectAuthorization, OnAuthorization, ARequest.Username,
                                      ARequest.Password, &ARequest.BasicAuthentication);
  FAuthRepeatPending = answer;
  return answer;
}

bool TNetCustomHTTP::DoOnProxyAuthorization(TNetHTTPRequest&, TNetHTTPResponse& AResponse) {
  ++AuthProxyRetries;
  const bool answer = AnswerChallenge(ProxyParams.Authentication, AResponse.ProxyAuthenticate,
                                      OnSelectProxyAuthorization, OnProxyAuthorization,
                                      ProxyParams.Username, ProxyParams.Password, nullptr);
  FAuthRepeatPending = answer;
  return answer;
}

bool TNetCustomHTTP::AnswerChallenge(std::unique_ptr<TNetAuthentication>& VAuthentication,
                                     const std::vector<std::u16string>& AChallenges,
                                     const TNetSelectAuthorizationEvent& AOnSelect,
                                     const TNetAuthorizationEvent& AOnAuthorization,
                                     std::u16string& VUsername, std::u16string& VPassword,
                                     bool* VBasicAuthentication) {
  if (!VAuthentication) {
    TNetAuthenticationClass authClass = nullptr;
    for (const std::u16string& challenge : AChallenges) {
      authClass = FindAuthClass(challenge.substr(0, challenge.find(u' ')));
      if (authClass)
        break;
    }
    if (AOnSelect)
      AOnSelect(*this, authClass, AChallenges);
    if (!authClass)
      return false;
    VAuthentication = authClass();
  }
  if (!AOnAuthorization && Trim(VPassword).empty())
    return false;

  TNetAuthentication& authentication = *VAuthentication;
  authentication.SetUserName(VUsername);
  authentication.SetPassword(VPassword);
  if (VBasicAuthentication)
    authentication.Params.SetValue(u"Authorization", authentication.Authentication());
  authentication.AuthParams.Clear();
  for (const std::u16string& challenge : AChallenges)
    authentication.AuthParams.Add(challenge);

  // A handler that keeps saying yes without giving what the scheme asks for
  // would be asked for ever; it gets as many turns as a request has rounds.
  for (std::int32_t asked = 0;;) {
    switch (authentication.Next()) {
      case wnDoRequest:
        return true;
      case wnFail:
        return false;
      case wnAskTheProgram: {
        if (!AOnAuthorization || asked++ >= std::max(MaxAuthRetries, 1))
          return false;
        authentication.SetUserName(VUsername);
        authentication.SetPassword(VPassword);
        bool handled = false;
        AOnAuthorization(*this, authentication, handled);
        if (!handled)
          return false;
        if (VBasicAuthentication)
          *VBasicAuthentication = true;
        VUsername = authentication.UserName();
        VPassword = authentication.Password();
        break;
      }
    }
  }
}

bool TNetCustomHTTP::DoOnRedirect(std::u16string& VLocation, std::u16string& VMethod,
                                  std::int32_t) {
  bool handled = HandleRedirects;
  if (OnRedirect)
    OnRedirect(*this, VLocation, VMethod, handled);
  return handled;
}

// --- The request cycle ---

void TNetCustomHTTP::DoRequest(const std::u16string& AMethod, const std::u16string& AURL,
                               TStream* ASource, TStream* AResponseContent,
                               TNetIgnoreReplies AIgnoreReplies) {
  RedirectCount = 0;
  AuthRetries = 0;
  AuthProxyRetries = 0;
  FCloseAfterRequest = false;
  const std::int64_t start = AResponseContent ? AResponseContent->Position() : 0;
  TNetHTTPRequest& request = Request();
  TNetHTTPResponse& response = Response();
  request.URL = AURL;
  request.Method = AMethod;
  request.Source = ASource;
  response.ContentStream = AResponseContent;

  // On every way out the connection stays only when the response allows it.
  struct TCleanUp {
    TNetCustomHTTP& Http;
    ~TCleanUp() {
      try {
        if (Http.FCloseAfterRequest || !Http.Response().KeepAlive())
          Http.Disconnect();
        // A close by the peer ends the connection without a Disconnect of ours.
        if (!Http.Connected())
          Http.ConnectionClosed();
      } catch (...) {
        Http.FCloseAfterRequest = true;
      }
    }
  } cleanUp{*this};

  try {
    for (;;) {
      PrepareRequest(request);
      SetURIToCheck();
      ConnectToHost(request, response);
      do {
        ReadStatusAndHeaders(request, response);
      } while (response.ResponseCode() == 100);

      const TNetHTTPWhatsNext next = ProcessResponse(request, response, AIgnoreReplies);
      if (next == wnGoToURL) {
        if (AResponseContent) {
          AResponseContent->SetPosition(start);
          AResponseContent->SetSize(start);
        }
        AuthRetries = 0;
        AuthProxyRetries = 0;
      } else if (next == wnAuthRequest) {
        request.URL = AURL;
      } else {
        break;
      }
    }
  } catch (const ENetHTTPMalformedResponse&) {
    // What follows on the connection cannot be told apart from this response.
    FCloseAfterRequest = true;
    throw;
  }
}

void TNetCustomHTTP::PrepareRequest(TNetHTTPRequest& ARequest) {
  PrepareRequestURI(FURI, ARequest, ProtocolVersion);
}

TNetHTTPConnectionType TNetCustomHTTP::SetHostAndPort() {
  std::u16string host;
  std::uint16_t port = 0;
  TNetHTTPConnectionType type;
  if (ProxyParams.ProxyServer.empty()) {
    if (Socket() && Socket()->Binding() && Socket()->Binding()->IPVersion() != FURI.IPVersion &&
        Connected()) {
      Disconnect();
    }
    host = FURI.Host;
    port = TargetPortOf(FURI);
    type = ConnectionTypeOf(FURI, false);
  } else {
    host = ProxyParams.ProxyServer;
    port = static_cast<std::uint16_t>(ProxyParams.ProxyPort);
    type = ConnectionTypeOf(FURI, true);
  }
  if ((!SameTextAscii(Host(), host) || Port() != port) && Connected())
    Disconnect();
  SetHost(host);
  SetPort(port);
  return type;
}

void TNetCustomHTTP::ConnectToHost(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse) {
  const std::u16string destination = FURI.Host + u":" + FURI.Port;
  const TNetHTTPConnectionType type = SetHostAndPort();
  if (type != ARequest.UseProxy ||
      (type == ctSSLProxy && !SameTextAscii(destination, ARequest.Destination))) {
    if (Connected())
      Disconnect();
  }
  ARequest.UseProxy = type;
  ARequest.Destination = destination;

  bool tunnel = false;
  switch (type) {
    case ctNormal:
      if (ProtocolVersion == pv1_0 && ARequest.Connection.empty()) {
        ARequest.Connection = u"keep-alive";
      }
      break;
    case ctSSL:
    case ctSSLProxy:
      ARequest.Connection.clear();
      tunnel = type == ctSSLProxy && !Connected();
      break;
    case ctProxy:
      ARequest.URL = FURI.GetURI();
      if (ProtocolVersion == pv1_0 && ARequest.Connection.empty()) {
        ARequest.ProxyConnection = u"keep-alive";
      }
      tunnel = HTTPOptions.Has(hoNonSSLProxyUseConnectVerb) && !Connected();
      break;
  }

  std::u16string& encoding = ARequest.AcceptEncoding;
  if (Compressor && Compressor->IsReady()) {
    for (std::u16string_view name : {u"deflate", u"gzip"}) {
      if (http_text::ContainsNoCase(encoding, name))
        continue;
      if (!encoding.empty())
        encoding += u", ";
      encoding += name;
    }
  }
  if (!encoding.empty() && !http_text::ContainsNoCase(encoding, u"identity")) {
    encoding += u", identity";
  }

  CheckAndConnect(AResponse);
  if (tunnel)
    MakeTunnel(ARequest);
  BuildAndSendRequest(ARequest, &FURI);
  if (ARequest.Source)
    IOHandler()->Write(*ARequest.Source, 0, false);
}

void TNetCustomHTTP::CheckAndConnect(TNetHTTPResponse& AResponse) {
  if (!AResponse.KeepAlive())
    Disconnect();
  if (IOHandler()) {
    IOHandler()->InputBuffer().Clear();
    CheckForGracefulDisconnect(false);
  }
  if (Connected())
    return;
  SetIPVersion(FURI.IPVersion);
  PrepareTLSHandler(Request().UseProxy);
  Connect();
}

void TNetCustomHTTP::MakeTunnel(TNetHTTPRequest& ARequest) {
  TNetHTTPProtocol tunnel;
  WireResponse(tunnel.Response);
  tunnel.Request.Method = u"CONNECT";
  tunnel.Request.URL = ARequest.Destination;
  tunnel.Request.UserAgent = ARequest.UserAgent;
  tunnel.Request.Host = ARequest.Host;
  tunnel.Request.Pragma = u"no-cache";
  tunnel.Request.ProxyConnection = u"keep-alive";
  tunnel.Request.Accept.clear();
  for (;;) {
    BuildAndSendRequest(tunnel.Request, nullptr);
    const std::u16string line = InternalReadLn();
    tunnel.Response.SetResponseText(line.empty() ? u"HTTP/1.0 200 OK" : line);
    RetrieveHeaders(tunnel.Response);
    if (line.empty())
      tunnel.Response.Connection = u"close";
    ProcessCookies(tunnel.Request, tunnel.Response);
    if (tunnel.Response.ResponseCode() / 100 == 2)
      break;
    // Only a repeat with new credentials can still open the tunnel; any other
    // outcome must not let the request go out on a connection that has none.
    if (ProcessResponse(tunnel.Request, tunnel.Response, {}) != wnAuthRequest) {
      throw ENetHTTPProtocolException(tunnel.Response.ResponseText(),
                                      tunnel.Response.ResponseCode(), {});
    }
    if (!Connected())
      Connect();
  }
  if (ARequest.UseProxy == ctSSLProxy)
    PrepareTLSHandler(ctSSL);
}

void TNetCustomHTTP::BuildAndSendRequest(TNetHTTPRequest& ARequest, const TNetURI* AURI) {
  if (ARequest.Authentication)
    ARequest.Authentication->SetRequest(ARequest.Method, ARequest.URL);
  ARequest.SetHeaders();
  ProxyParams.SetHeaders(ARequest.RawHeaders);
  if (AURI)
    SetCookies(*AURI, ARequest);

  TNetIOHandler& handler = *IOHandler();
  const bool opened = !handler.WriteBufferingActive();
  if (opened)
    handler.WriteBufferOpen();
  try {
    handler.WriteLn(RequestLine(ARequest, ProtocolVersion));
    for (const std::u16string& line : ARequest.RawHeaders.Lines()) {
      if (!line.empty())
        handler.WriteLn(line);
    }
    handler.WriteLn();
    if (opened)
      handler.WriteBufferClose();
  } catch (...) {
    if (opened)
      handler.WriteBufferCancel();
    throw;
  }
}

// --- Reading the response ---

std::u16string TNetCustomHTTP::InternalReadLn() {
  std::u16string line = IOHandler()->ReadLn();
  if (IOHandler()->ReadLnTimedOut())
    throw ENetReadTimeout();
  return line;
}

void TNetCustomHTTP::ReadStatusAndHeaders(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse) {
  FAuthRepeatPending = false;  // the repeated request is out; its answer comes now
  AResponse.SetResponseText(InternalReadLn());
  RetrieveHeaders(AResponse);
  ProcessCookies(ARequest, AResponse);
}

void TNetCustomHTTP::RetrieveHeaders(TNetHTTPResponse& AResponse) {
  AResponse.Clear();
  try {
    std::int32_t count = 0;
    for (;;) {
      std::u16string line = InternalReadLn();
      if (line.empty())
        break;
      AddHeaderLine(AResponse, count, std::move(line));
    }
  } catch (const ENetConnClosedGracefully&) {
    Disconnect();
  }
  AResponse.ProcessHeaders();
}

void TNetCustomHTTP::AddHeaderLine(TNetHTTPResponse& AResponse, std::int32_t& VCount,
                                   std::u16string ALine) {
  if (MaxHeaderLines > 0 && ++VCount > MaxHeaderLines) {
    throw ENetHTTPMalformedResponse(
        u"The response has more than " + IntToText(MaxHeaderLines) + u" header lines.",
        AResponse.ResponseCode());
  }
  AResponse.RawHeaders.Add(std::move(ALine));
}

TNetHTTPWhatsNext TNetCustomHTTP::ProcessResponse(TNetHTTPRequest& ARequest,
                                                  TNetHTTPResponse& AResponse,
                                                  TNetIgnoreReplies AIgnoreReplies) {
  const std::int32_t code = AResponse.ResponseCode();
  const std::int32_t kind = code / 100;

  if (OnHeadersAvailable) {
    bool proceed = true;
    OnHeadersAvailable(*this, AResponse.RawHeaders, proceed);
    if (!proceed) {
      FCloseAfterRequest = true;
      return wnJustExit;
    }
  }

  if (kind == 3 && code != 304) {
    if (AResponse.Location.empty()) {
      CheckException(ARequest, AResponse, AIgnoreReplies);
      return wnJustExit;
    }
    ++RedirectCount;
    std::u16string location = AResponse.Location;
    std::u16string method = ARequest.Method;
    if (!DoOnRedirect(location, method, RedirectCount)) {
      CheckException(ARequest, AResponse, AIgnoreReplies);
      return wnJustExit;
    }
    const bool follow = HandleRedirects && RedirectCount < RedirectMaximum;
    if (follow) {
      ARequest.URL = location;
      if (code == 303 || (code == 302 && HTTPOptions.Has(hoTreat302Like303))) {
        ARequest.Source = nullptr;
        ARequest.Method = u"GET";
      } else {
        ARequest.Method = method;
      }
      ARequest.MethodOverride.clear();
      if (Connected())
        DiscardContent(ARequest, AResponse);
      return wnGoToURL;
    }
    AResponse.Location = location;
    if (Connected())
      DiscardContent(ARequest, AResponse);
    // Following was asked for and has run out: nothing was fetched, and the
    // caller must not take the empty stream for the body.
    if (HandleRedirects) {
      throw ENetHTTPProtocolException(u"Too many redirects (" + IntToText(RedirectCount) +
                                          u"); the last response: " + AResponse.ResponseText(),
                                      code, {});
    }
    return wnJustExit;
  }

  if (kind == 2) {
    if (IsMethod(ARequest, u"HEAD") || code == 204) {
      DiscardContent(ARequest, AResponse);
    } else {
      ReadContent(ARequest, AResponse);
    }
    return wnJustExit;
  }

  if (code == 401 || code == 407) {
    const bool proxy = code == 407;
    const bool exhausted =
        proxy ? AuthProxyRetries >= MaxAuthRetries : AuthRetries >= MaxAuthRetries;
    if (exhausted || !(proxy ? DoOnProxyAuthorization(ARequest, AResponse)
                             : DoOnAuthorization(ARequest, AResponse))) {
      std::unique_ptr<TNetAuthentication>& auth =
          proxy ? ProxyParams.Authentication : ARequest.Authentication;
      if (auth)
        auth->Reset();
      CheckException(ARequest, AResponse, AIgnoreReplies);
      return wnJustExit;
    }
    if (HTTPOptions.Has(hoInProcessAuth)) {
      DiscardContent(ARequest, AResponse);
      return wnAuthRequest;
    }
    ReadContent(ARequest, AResponse);
    return wnJustExit;
  }

  CheckException(ARequest, AResponse, AIgnoreReplies);
  return wnJustExit;
}

void TNetCustomHTTP::CheckException(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse,
                                    TNetIgnoreReplies AIgnoreReplies) {
  const std::int32_t code = AResponse.ResponseCode();
  bool raise = true;
  bool discard = true;
  if (HTTPOptions.Has(hoNoProtocolErrorException) ||
      std::find(AIgnoreReplies.begin(), AIgnoreReplies.end(), code) != AIgnoreReplies.end()) {
    raise = false;
    discard = !HTTPOptions.Has(hoWantProtocolErrorContent);
  }
  std::unique_ptr<TMemoryStream> errorBody;
  if (raise)
    errorBody = std::make_unique<TMemoryStream>();
  {
    const TScopedValue swap(AResponse.ContentStream,
                            (raise || discard) ? errorBody.get() : AResponse.ContentStream);
    try {
      if (ShouldRead(ARequest, AResponse))
        ReadResult(AResponse);
    } catch (const ENetConnClosedGracefully&) {
      Disconnect();
    }
  }
  if (raise) {
    std::u16string text = DecodeWithCharSet(AResponse.CharSet, errorBody->Memory(),
                                            static_cast<std::size_t>(errorBody->Size()));
    errorBody.reset();
    throw ENetHTTPProtocolException(AResponse.ResponseText(), code, std::move(text));
  }
}

void TNetCustomHTTP::DiscardContent(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse) {
  const TScopedValue swap(AResponse.ContentStream, nullptr);
  try {
    if (ShouldRead(ARequest, AResponse))
      ReadResult(AResponse);
  } catch (const ENetConnClosedGracefully&) {
    Disconnect();
  }
}

void TNetCustomHTTP::ReadContent(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse) {
  if (ShouldRead(ARequest, AResponse))
    ReadResult(AResponse);
}

bool TNetCustomHTTP::PendingData(int ATimeout) {
  if (!IOHandler())
    return false;
  if (!IOHandler()->InputBufferIsEmpty())
    return true;
  IOHandler()->CheckForDataOnSource(ATimeout);
  return !IOHandler()->InputBufferIsEmpty();
}

bool TNetCustomHTTP::ShouldRead(TNetHTTPRequest& ARequest, TNetHTTPResponse& AResponse) {
  bool allowed = true;
  if (IsChunked(AResponse)) {
    allowed = !HTTPOptions.Has(hoNoReadChunked);
  } else if (AResponse.HasContentLength()) {
    allowed = AResponse.ContentLength > 0;
  } else if (IsMultipart(AResponse)) {
    allowed = !HTTPOptions.Has(hoNoReadMultipartMIME);
  }
  if (!allowed)
    return false;
  const std::int32_t code = AResponse.ResponseCode();
  if (IsMethod(ARequest, u"HEAD") || code / 100 == 1 || code == 204 || code == 304) {
    return HTTPOptions.Has(hoWaitForUnexpectedData) && PendingData(100);
  }
  if (code / 100 == 3)
    return PendingData(5000);
  return true;
}

void TNetCustomHTTP::ReadResult(TNetHTTPResponse& AResponse) {
  TStream* const target = AResponse.ContentStream;
  const TParseForm form = target ? ParseFormOf(AResponse, HTTPOptions) : TParseForm::None;

  // HTML and XML are scanned in memory; a caller's memory stream is scanned in place.
  std::unique_ptr<TMemoryStream> parseBuffer;
  if (form != TParseForm::None && !dynamic_cast<TMemoryStream*>(target)) {
    parseBuffer = std::make_unique<TMemoryStream>();
  }
  const TScopedValue swap(AResponse.ContentStream, parseBuffer ? parseBuffer.get() : target);
  TStream* const into = AResponse.ContentStream;
  const std::int64_t scanStart = into ? into->Position() : 0;

  const bool decode = into && Compressor && Compressor->IsReady() &&
                      (SameTextAscii(AResponse.ContentEncoding, u"deflate") ||
                       SameTextAscii(AResponse.ContentEncoding, u"gzip"));
  if (decode) {
    TMemoryStream encoded;
    ReadBody(AResponse, &encoded);
    encoded.SetPosition(0);
    if (SameTextAscii(AResponse.ContentEncoding, u"gzip")) {
      Compressor->DecompressGZipStream(encoded, *into);
    } else {
      Compressor->DecompressDeflateStream(encoded, *into);
    }
  } else {
    ReadBody(AResponse, into);
  }

  if (form == TParseForm::None)
    return;
  auto* memory = static_cast<TMemoryStream*>(into);
  const std::uint8_t* data = memory->Memory() + scanStart;
  const std::size_t size =
      static_cast<std::size_t>(std::max<std::int64_t>(memory->Size() - scanStart, 0));
  if (form == TParseForm::Html) {
    ProcessMetaHTTPEquiv(AResponse, data, size);
  } else {
    AResponse.CharSet = DetectXmlCharSet(data, size);
  }
  if (parseBuffer) {
    parseBuffer->SetPosition(0);
    if (parseBuffer->Size() > 0)
      target->WriteBuffer(parseBuffer->Memory(), parseBuffer->Size());
  }
}

void TNetCustomHTTP::ProcessMetaHTTPEquiv(TNetHTTPResponse& AResponse, const std::uint8_t* AData,
                                          std::size_t ASize) {
  const TMetaHTTPEquiv meta = ScanMetaHTTPEquiv(AData, ASize);
  AResponse.MetaHTTPEquiv.Clear();
  for (const auto& [name, value] : meta.Fields)
    AResponse.MetaHTTPEquiv.RawHeaders.SetValue(name, value);
  if (!meta.Fields.empty()) {
    AResponse.MetaHTTPEquiv.ProcessHeaders();
    for (const auto& [name, value] : meta.Fields)
      AResponse.RawHeaders.SetValue(name, value);
    AResponse.ProcessHeaders();
  }
  if (!meta.CharSet.empty())
    AResponse.CharSet = meta.CharSet;
}

// --- TLS ---

void TNetCustomHTTP::PrepareTLSHandler(TNetHTTPConnectionType AType) {
  auto* tls = dynamic_cast<TNetSSLIOHandlerSocketBase*>(IOHandler());
  if (AType == ctSSL || AType == ctSSLProxy) {
    if (!IOHandler()) {
      std::unique_ptr<TNetSSLIOHandlerSocketBase> made =
          TNetIOHandlerRegistry::TryMakeIOHandler<TNetSSLIOHandlerSocketBase>();
      if (!made)
        throw ENetIOHandlerPropInvalid();
      made->OnStatus = OnStatus;
      tls = made.get();
      SetIOHandler(std::unique_ptr<TNetIOHandler>(made.release()));
    } else if (!tls) {
      throw ENetIOHandlerPropInvalid();
    }
    tls->SetURIToCheck(FURI.GetURI());
    // Directly TLS is negotiated while connecting; through a proxy after CONNECT.
    tls->SetPassThrough(AType == ctSSLProxy);
  } else if (tls) {
    tls->SetPassThrough(true);
    tls->SetURIToCheck(FURI.GetURI());
  }
}

void TNetCustomHTTP::SetURIToCheck() {
  if (auto* tls = dynamic_cast<TNetSSLIOHandlerSocketBase*>(IOHandler())) {
    tls->SetURIToCheck(FURI.GetURI());
  }
}

}  // namespace vornel
