// netget: fetches one URL with the HTTP client, for people who debug a
// publisher's server and for benchmarks.
//
//   netget [--insecure] [--redirects] [--ignore CODE]... [--head] [-v] URL [FILE]
//
// The body goes to FILE (or standard output). With -v every redirect's status
// line and Location, then the final status line and the response headers, go to
// standard error. Exit code 0 on success; otherwise 1
// with the exception's class and message on one line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "http/custom_http.h"
#include "netget_process.h"
#include "netget_tls.h"
#include "platform/command_line.h"
#include "platform/file_stream.h"
#include "platform/text.h"

namespace {

using namespace vornel;

// Writes to standard output as it is given the bytes.
class TStdoutStream : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    const std::size_t written = std::fwrite(buffer, 1, static_cast<std::size_t>(count), stdout);
    FPosition += static_cast<std::int64_t>(written);
    return static_cast<std::int64_t>(written);
  }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return FPosition; }
  std::int64_t Size() override { return FPosition; }
  void SetSize(std::int64_t) override {}

 private:
  std::int64_t FPosition = 0;
};

int Usage() {
  std::fputs(
      "usage: netget [--insecure] [--redirects] [--ignore CODE]... [--head] [-v] URL [FILE]\n",
      stderr);
  return 2;
}

// The class name of an exception without its namespace and mangling noise.
std::string ClassName(const std::exception& e) {
  std::string name = typeid(e).name();
  // GCC's mangled names of classes in a namespace read N<len>name<len>nameE.
  if (name.starts_with("N") && name.ends_with("E")) {
    std::size_t at = 1;
    std::string last;
    while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at]))) {
      std::size_t length = 0;
      while (std::isdigit(static_cast<unsigned char>(name[at])))
        length = length * 10 + (name[at++] - '0');
      last = name.substr(at, length);
      at += length;
    }
    if (!last.empty())
      return last;
  }
  return name;
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n')
      c = ' ';
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareProcess();
  bool insecure = false, verbose = false, head = false;
  TNetHTTP http;
  std::vector<std::int16_t> ignore;
  std::vector<std::u16string> positional;
  const std::vector<std::u16string> args = CommandLineArguments(argc, argv);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& arg = args[i];
    if (arg == u"--insecure") {
      insecure = true;
    } else if (arg == u"--redirects") {
      http.HandleRedirects = true;
    } else if (arg == u"--ignore" && i + 1 < args.size()) {
      ignore.push_back(static_cast<std::int16_t>(std::atoi(ToUtf8(args[++i]).c_str())));
    } else if (arg == u"--head") {
      head = true;
    } else if (arg == u"-v") {
      verbose = true;
    } else if (arg.starts_with(u"-") && arg != u"-") {
      return Usage();
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty() || positional.size() > 2)
    return Usage();
  const std::u16string& url = positional[0];

  TNetCompressorZLib zlib;
  http.Compressor = &zlib;
  if (verbose) {
    // Each hop as it comes, so that a redirect to another scheme or host shows.
    http.OnRedirect = [](TNetCustomHTTP& sender, std::u16string& location, std::u16string&, bool&) {
      std::fprintf(stderr, "%s\nLocation: %s\n", ToUtf8(sender.ResponseText()).c_str(),
                   ToUtf8(location).c_str());
    };
  }
  try {
    AttachTLSHandler(http, insecure);
    if (head) {
      http.Head(url);
    } else if (positional.size() == 2 && positional[1] != u"-") {
      TFileStream file(positional[1], fmCreate);
      http.Get(url, file, ignore);
    } else {
      TStdoutStream out;
      http.Get(url, out, ignore);
      std::fflush(stdout);
    }
    if (verbose) {
      std::fprintf(stderr, "%s\n", ToUtf8(http.ResponseText()).c_str());
      for (const std::u16string& line : http.Response().RawHeaders.Lines()) {
        std::fprintf(stderr, "%s\n", ToUtf8(line).c_str());
      }
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", ClassName(e).c_str(), OneLine(e.what()).c_str());
    return 1;
  }
}
