// The user's private temporary folder and the running executable's path.
#pragma once

#include <string>

namespace vornel {

// "$TMPDIR" when it is set and absolute, else "/tmp", followed by "vornel-<uid>/".
// Created with mode 0700 when missing. Empty when it cannot be used: it is a
// symbolic link, not a folder, not owned by the user, or cannot be created.
std::u16string UserTempFolder();

// The same rule below a given base folder and for a given user id (the pieces
// that UserTempFolder takes from the environment).
std::u16string PrivateFolderUnder(const std::u16string& base, unsigned uid);

// Full path of the running executable (/proc/self/exe).
std::u16string ExecutablePath();

}  // namespace vornel
