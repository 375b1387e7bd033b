#include "scripted_server.h"

#include <cctype>
#include <stdexcept>

#include "support/loopback_socket.h"

namespace vornel::test {

namespace {

std::size_t ContentLengthOf(const std::string& head) {
  std::string lower = head;
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos)
    return 0;
  return std::stoul(head.substr(at + 17));
}

}  // namespace

TScriptedServer::TScriptedServer(std::vector<TConnectionScript> connections) {
  FListener = loopback::Listen();
  if (FListener < 0)
    throw std::runtime_error("scripted server: no listener");
  FPort = loopback::LocalPort(FListener);
  FThread = std::thread([this, c = std::move(connections)]() mutable { Run(std::move(c)); });
}

TScriptedServer::~TScriptedServer() {
  FStop = true;
  Finish();
  loopback::Close(FListener);
}

void TScriptedServer::Finish() {
  if (FThread.joinable())
    FThread.join();
}

std::u16string TScriptedServer::Url(const std::string& path) const {
  const std::string text = "http://127.0.0.1:" + std::to_string(FPort) + path;
  return std::u16string(text.begin(), text.end());
}

std::vector<std::string> TScriptedServer::Requests() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FRequests;
}

void TScriptedServer::Run(std::vector<TConnectionScript> connections) {
  for (const TConnectionScript& script : connections) {
    // Waits in slices, so that the end of the object stops a script that still
    // expects connections.
    while (!loopback::Readable(FListener, 20)) {
      if (FStop)
        return;
    }
    const int client = loopback::Accept(FListener);
    if (client < 0)
      return;
    ++FAccepted;
    Serve(client, script);
  }
}

bool TScriptedServer::ReadRequest(int socket, std::string& pending) {
  char block[4096];
  std::size_t end;
  while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
    const long n = loopback::Receive(socket, block, sizeof block);
    if (n <= 0)
      return false;
    pending.append(block, static_cast<std::size_t>(n));
  }
  const std::size_t total = end + 4 + ContentLengthOf(pending.substr(0, end + 2));
  while (pending.size() < total) {
    const long n = loopback::Receive(socket, block, sizeof block);
    if (n <= 0)
      return false;
    pending.append(block, static_cast<std::size_t>(n));
  }
  {
    std::lock_guard<std::mutex> guard(FLock);
    FRequests.push_back(pending.substr(0, total));
  }
  pending.erase(0, total);
  return true;
}

void TScriptedServer::Serve(int socket, const TConnectionScript& script) {
  std::string pending;
  bool open = true;
  for (const TScriptStep& step : script) {
    if (step.ReadRequest && !ReadRequest(socket, pending)) {
      open = false;
      break;
    }
    loopback::SendAll(socket, step.Reply);
    if (step.After == TScriptStep::Reset) {
      loopback::Reset(socket);
      return;
    }
    if (step.After == TScriptStep::Close) {
      open = false;
      break;
    }
  }
  // Keep the connection until the client lets it go.
  char block[4096];
  if (open) {
    while (loopback::Receive(socket, block, sizeof block) > 0) {
    }
  } else {
    loopback::EndSending(socket);
    while (loopback::Readable(socket, 2000) && loopback::Receive(socket, block, sizeof block) > 0) {
    }
  }
  loopback::Close(socket);
}

std::string Reply(const std::string& statusLine, const std::vector<std::string>& headers,
                  const std::string& body, bool withLength) {
  std::string text = statusLine + "\r\n";
  for (const std::string& header : headers)
    text += header + "\r\n";
  if (withLength)
    text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return text + "\r\n" + body;
}

std::string HeaderOf(const std::string& request, const std::string& name) {
  const std::string key = "\r\n" + name + ": ";
  const auto at = request.find(key);
  if (at == std::string::npos)
    return "-";
  const auto start = at + key.size();
  return request.substr(start, request.find("\r\n", start) - start);
}

}  // namespace vornel::test
