// The user's private temporary folder and the running executable's path.
#pragma once

#include <string>

namespace vornel {

// The user's private temporary folder, with its trailing delimiter; see
// PrivateTempFolder. The base is "$TMPDIR" when it is set and absolute, else
// "/tmp"; the runtime folder is "$XDG_RUNTIME_DIR" when it is set and absolute.
std::u16string UserTempFolder();

// The rule with its pieces given (uid is the process's own user): base/vornel-<uid>/, created with
// mode 0700 when missing, when it is a real folder of the user's that nothing is open to others;
// otherwise (someone else made the name first, or a link or a file is there) it is
// never used, and runtimeDir/vornel/ is taken when runtimeDir is a folder of the
// user's that the others may not write into; else a fresh folder
// base/vornel-<uid>-XXXXXX/ made with mkdtemp. Empty when none can be had.
std::u16string PrivateTempFolder(const std::u16string& base, const std::u16string& runtimeDir,
                                 unsigned uid);

// Only the first choice of the rule: base/vornel-<uid>/, or empty.
std::u16string PrivateFolderUnder(const std::u16string& base, unsigned uid);

// True for a folder that the rule made fresh for one run (its last choice), which
// the run itself removes again when it ends.
bool IsFreshTempFolder(const std::u16string& folder, unsigned uid);

// IsFreshTempFolder for the process's own user; never true on a system whose
// temporary folder is the user's own already (Windows), as none is made fresh there.
bool IsOwnFreshTempFolder(const std::u16string& folder);

// Full path of the running executable (/proc/self/exe, GetModuleFileNameW).
std::u16string ExecutablePath();

}  // namespace vornel
