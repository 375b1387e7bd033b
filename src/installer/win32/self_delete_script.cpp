// The self-delete script as a batch file for the command interpreter, in the
// ANSI code page with CR LF line ends.
#include "installer/self_delete_script.h"

#include "installer/win32/batch_quote.h"
#include "platform/code_page.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace vornel {

const std::u16string_view SelfDeleteScriptExtension = u".bat";

std::u16string BatchQuote(std::u16string_view text) {
  std::u16string out = u"\"";
  for (char16_t c : text) {
    if (c == u'"' || c == u'\r' || c == u'\n')
      throw Exception(u"The name \"" + std::u16string(text) +
                      u"\" cannot be written into a batch file.");
    if (c == u'%')
      out += u'%';
    out += c;
  }
  out += u'"';
  return out;
}

namespace {

// The process is looked for by its id in the task list, and where the system
// has none to give (older systems, Wine) in the process list of WMI. "found"
// is defined when either names the id.
std::u16string LookForProcess(const std::u16string& pid) {
  return u":running\r\n"
         u"set found=\r\n"
         u"for /f \"tokens=2 delims=,\" %%p in ('tasklist /FI \"PID eq " +
         pid + u"\" /FO CSV /NH') do if \"%%~p\"==\"" + pid +
         u"\" set found=1\r\n"
         u"if defined found goto :eof\r\n"
         u"for /f \"skip=1\" %%p in ('wmic process get ProcessId') do if \"%%p\"==\"" +
         pid +
         u"\" set found=1\r\n"
         u"goto :eof\r\n";
}

}  // namespace

std::u16string SelfDeleteScriptText(std::u16string_view scriptPath,
                                    std::u16string_view executablePath, pid_t installerPid) {
  // Delayed expansion off: a ! in a name stays a plain character.
  std::u16string text =
      u"@echo off\r\n"
      u"setlocal DisableDelayedExpansion\r\n"
      u"rem Removes the installer once its process has ended.\r\n";
  // Only a real process id is waited for and ended, by that id alone (never by
  // the program's name, which another process may share).
  if (installerPid > 0) {
    const std::u16string pid = IntToText(installerPid);
    // About three seconds: three looks one second apart (ping waits a second
    // between its two echoes on the loopback).
    text +=
        u"set n=0\r\n"
        u"goto wait\r\n" +
        LookForProcess(pid) +
        u":wait\r\n"
        u"call :running\r\n"
        u"if not defined found goto gone\r\n"
        u"if %n% geq 3 goto force\r\n"
        u"set /a n+=1\r\n"
        u"ping -n 2 127.0.0.1 >nul\r\n"
        u"goto wait\r\n"
        u":force\r\n"
        u"taskkill /F /PID " +
        pid +
        u" >nul 2>nul\r\n"
        u"ping -n 2 127.0.0.1 >nul\r\n"
        u":gone\r\n";
  }
  // No TLS library lies beside the installer (it is linked in): exactly the
  // installer and this script are deleted, the script last.
  for (std::u16string_view file : {executablePath, scriptPath})
    text += u"del /q " + BatchQuote(file) + u" >nul 2>nul\r\n";
  return text;
}

// A character that the ANSI code page has no place for would come out as "?",
// a wildcard of del: such a script is never written.
std::string SelfDeleteScriptBytes(std::u16string_view text) {
  const int page = AnsiCodePage();
  const TBytes bytes = EncodeCodePage(page, text);
  if (DecodeCodePage(page, bytes) != text)
    throw Exception(u"The self-delete script cannot be written in code page " + IntToText(page) +
                    u": a path holds a character the code page has no place for.");
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace vornel
