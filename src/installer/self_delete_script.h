// The shell script that removes the installer after it has ended: it waits for the
// installer's own process to end (ending it by force after about three seconds),
// then deletes exactly the installer and itself.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace vornel {

inline constexpr std::u16string_view SelfDeleteScriptName = u"SelfDelete.sh";

// One word for the shell, whatever the text holds: in single quotes, an embedded
// single quote written as '\''.
std::u16string ShellQuote(std::u16string_view text);

// The script for the installer at executablePath, whose folder is currentDir (with
// its trailing delimiter) and whose process id is installerPid.
std::u16string SelfDeleteScriptText(std::u16string_view currentDir,
                                    std::u16string_view executablePath, pid_t installerPid);

// Writes the text as UTF-8, replacing any file of the name; raises the file layer's
// exception when the file cannot be created or written.
void WriteScriptFile(const std::u16string& path, std::u16string_view text);

}  // namespace vornel
