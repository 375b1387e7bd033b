#include "installer/self_delete_script.h"

#include "platform/file_stream.h"
#include "platform/text.h"

namespace vornel {

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

std::u16string SelfDeleteScriptText(std::u16string_view currentDir,
                                    std::u16string_view executablePath, pid_t installerPid) {
  const std::u16string dir(currentDir);
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
  for (const std::u16string& file :
       {std::u16string(executablePath), dir + std::u16string(SelfDeleteScriptName)}) {
    text += u"rm -f -- " + ShellQuote(file) + u"\n";
  }
  return text;
}

void WriteScriptFile(const std::u16string& path, std::u16string_view text) {
  const std::string bytes = ToUtf8(text);
  TFileStream file(path, fmCreate);
  file.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

}  // namespace vornel
