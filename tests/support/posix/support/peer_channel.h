// The peer program as a child process: its standard output through a pipe,
// ended (SIGTERM, then SIGKILL) and reaped with the object.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace vornel::test {

class TPeerChannel {
 public:
  explicit TPeerChannel(const std::vector<std::string>& argv) {
    int out[2];
    if (::pipe(out) != 0)
      throw std::runtime_error("pipe");
    FPid = ::fork();
    if (FPid < 0)
      throw std::runtime_error("fork");
    if (FPid == 0) {
      ::dup2(out[1], 1);
      const int devNull = ::open("/dev/null", O_RDWR);
      ::dup2(devNull, 0);
      ::dup2(devNull, 2);
      ::close(out[0]);
      ::close(out[1]);
      std::vector<char*> args;
      for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execvp(args[0], args.data());
      ::_exit(127);
    }
    ::close(out[1]);
    FOut = out[0];
  }
  ~TPeerChannel() {
    ::close(FOut);
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      for (int i = 0; i < 100; ++i) {
        if (::waitpid(FPid, nullptr, WNOHANG) == FPid)
          return;
        ::usleep(10000);
      }
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, nullptr, 0);
    }
  }
  TPeerChannel(const TPeerChannel&) = delete;
  TPeerChannel& operator=(const TPeerChannel&) = delete;

  // Bytes of output within ms: -1 after the time-out, 0 at the end.
  long Read(char* buffer, std::size_t size, int ms) {
    pollfd p{FOut, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0)
      return -1;
    return static_cast<long>(::read(FOut, buffer, size));
  }

 private:
  pid_t FPid = -1;
  int FOut = -1;
};

}  // namespace vornel::test
