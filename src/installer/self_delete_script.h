// The script that removes the installer after it has ended: it waits for the
// installer's own process to end (ending it by force after about three seconds),
// then deletes exactly the installer and itself. Each system has its own script
// language (posix/: the shell, win32/: the command interpreter); writing the
// script is the same on both.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/owned_files.h"

namespace vornel {

// The script's name is this stem, six random letters and digits, and the
// extension of the system's script language (".sh", ".bat").
inline constexpr std::u16string_view SelfDeleteScriptStem = u"SelfDelete-";
extern const std::u16string_view SelfDeleteScriptExtension;

// The script at scriptPath for the installer at executablePath, whose process id
// is installerPid (no process is waited for or ended unless it is above 0).
std::u16string SelfDeleteScriptText(std::u16string_view scriptPath,
                                    std::u16string_view executablePath, pid_t installerPid);

// The text in the encoding its interpreter reads; raises when a character of it
// has no place there, since a path changed on the way could name another file.
std::string SelfDeleteScriptBytes(std::u16string_view text);

// The script as a new file in folder (with its trailing delimiter) under a name of
// its own, mode 0700; still open, so that it is run from the very file written.
// Raises the file layer's exception when it cannot be created or written, and
// leaves no part of a script behind.
TNewFile WriteSelfDeleteScript(const std::u16string& folder, std::u16string_view executablePath,
                               pid_t installerPid);

}  // namespace vornel
