// The self-delete script as a shell script, UTF-8 with LF line ends.
#include "installer/self_delete_script.h"

#include "installer/posix/shell_quote.h"
#include "platform/text.h"

namespace vornel {

const std::u16string_view SelfDeleteScriptExtension = u".sh";

std::u16string ShellQuote(std::u16string_view text) {
  std::u16string out = u"'";
  for (char16_t c : text) {
    if (c == u'\'') {
      out += u"'\\''";
    } else {
      out += c;
    }
  }
  out += u'\'';
  return out;
}

std::u16string SelfDeleteScriptText(std::u16string_view scriptPath,
                                    std::u16string_view executablePath, pid_t installerPid) {
  std::u16string text =
      u"#!/bin/sh\n"
      u"# Removes the installer once its process has ended.\n";
  // Only a real process id: kill with 0 or -1 would reach whole process groups.
  if (installerPid > 0) {
    text += u"pid=" + IntToText(installerPid) +
            u"\n"
            u"n=0\n"
            u"while kill -0 \"$pid\" 2>/dev/null; do\n"
            u"  if [ \"$n\" -ge 30 ]; then\n"
            u"    kill -9 \"$pid\" 2>/dev/null\n"
            u"    break\n"
            u"  fi\n"
            u"  sleep 0.1 2>/dev/null || sleep 1\n"
            u"  n=$((n + 1))\n"
            u"done\n";
  }
  // The TLS libraries are the system's: nothing beside the installer but the
  // installer and this script is deleted.
  for (std::u16string_view file : {executablePath, scriptPath})
    text += u"rm -f -- " + ShellQuote(file) + u"\n";
  return text;
}

// The shell takes the names' bytes as they are; UTF-8 has a place for every text.
std::string SelfDeleteScriptBytes(std::u16string_view text) {
  return ToUtf8(text);
}

}  // namespace vornel
