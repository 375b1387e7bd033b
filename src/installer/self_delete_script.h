// The shell script that removes the installer after it has ended: it waits for the
// installer's own process to end (ending it by force after about three seconds),
// then deletes exactly the installer and itself.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/owned_files.h"

namespace vornel {

// The script's name is this stem, six random letters and digits, and ".sh".
inline constexpr std::u16string_view SelfDeleteScriptStem = u"SelfDelete-";
inline constexpr std::u16string_view SelfDeleteScriptExtension = u".sh";

// One word for the shell, whatever the text holds: in single quotes, an embedded
// single quote written as '\''.
std::u16string ShellQuote(std::u16string_view text);

// The script at scriptPath for the installer at executablePath, whose process id
// is installerPid.
std::u16string SelfDeleteScriptText(std::u16string_view scriptPath,
                                    std::u16string_view executablePath, pid_t installerPid);

// The script as a new file in folder (with its trailing delimiter) under a name of
// its own, mode 0700, UTF-8 with LF line ends; still open, so that it is run from
// the very file written. Raises the file layer's exception when it cannot be
// created or written.
TNewFile WriteSelfDeleteScript(const std::u16string& folder, std::u16string_view executablePath,
                               pid_t installerPid);

}  // namespace vornel
