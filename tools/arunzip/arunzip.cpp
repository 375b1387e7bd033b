// arunzip: a command-line front of the unzipper, for checking an installation
// set and for measuring extraction.
//
//   arunzip -l ARCHIVE                 list every item
//   arunzip -t ARCHIVE                 test every item
//   arunzip -x ARCHIVE DIR [MASK]      extract (DIR and its parents created first,
//                                      folders of the archive created, paths kept)
//   -p PASSWORD                        password of encrypted items
//
// Every item failure goes to standard error with the item's name, error class,
// code and text; the exit code is 1 when anything failed, 2 for a usage or open error.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/exception.h"
#include "platform/file_system.h"
#include "platform/library_search.h"
#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/unzipper.h"

namespace {

using namespace vornel;

const char* ErrorClassName(TArErrorClass errorClass) {
  switch (errorClass) {
    case ecArchive:
      return "ecArchive";
    case ecInOutError:
      return "ecInOutError";
    case ecFilerError:
      return "ecFilerError";
    case ecFileCreateError:
      return "ecFileCreateError";
    case ecFileOpenError:
      return "ecFileOpenError";
    case ecCabError:
      return "ecCabError";
    case ecOther:
      return "ecOther";
  }
  return "ecOther";
}

int Usage() {
  std::fprintf(stderr,
               "usage: arunzip [-p PASSWORD] -l ARCHIVE\n"
               "       arunzip [-p PASSWORD] -t ARCHIVE\n"
               "       arunzip [-p PASSWORD] -x ARCHIVE DIR [MASK]\n");
  return 2;
}

void List(TArUnZipper& unzipper) {
  std::printf("%6s %12s %12s %-8s %s %s %s\n", "Method", "Compressed", "Size", "CRC-32", "Enc",
              "Dir", "Name");
  for (int i = 0; i < unzipper.Count(); ++i) {
    TArZipItem& item = unzipper.Items(i);
    std::printf("%6u %12" PRId64 " %12" PRId64 " %08X %-3s %-3s %s\n",
                static_cast<unsigned>(item.ItemInfo.CompressionMethod), item.CompressedSize,
                item.UncompressedSize, item.CRC32, item.IsEncrypted ? "yes" : "no",
                item.IsDirectory() ? "yes" : "no", ToUtf8(item.FileName).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  RestrictLibrarySearchToSystem();
  const std::vector<std::u16string> words = CommandLineArguments(argc, argv);
  std::u16string mode, password;
  std::vector<std::u16string> args;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::u16string& arg = words[i];
    if (arg == u"-p" && i + 1 < words.size()) {
      password = words[++i];
    } else if (arg == u"-l" || arg == u"-t" || arg == u"-x") {
      mode = arg;
    } else {
      args.push_back(arg);
    }
  }
  if (mode.empty() || args.empty() || (mode == u"-x" && (args.size() < 2 || args.size() > 3)) ||
      (mode != u"-x" && args.size() != 1)) {
    return Usage();
  }

  TArUnZipper unzipper;
  int failures = 0;
  unzipper.OnProcessItemFailure = [&](TArUnZipper& sender, TArZipItem& item, TArProcessType,
                                      TArErrorClass errorClass, int errorCode) {
    ++failures;
    std::fprintf(stderr, "%s: %s %d: %s\n", ToUtf8(item.FileName).c_str(),
                 ErrorClassName(errorClass), errorCode, ToUtf8(sender.FailureMessage()).c_str());
  };
  try {
    unzipper.SetPassword(password);
    if (mode == u"-x") {
      unzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
      // As other unzipping tools do; the unzipper itself wants an existing folder.
      if (!ForceDirectories(args[1])) {
        std::fprintf(stderr, "arunzip: cannot create directory %s: %s\n", ToUtf8(args[1]).c_str(),
                     ToUtf8(SysErrorMessage(LastOSError())).c_str());
        return 2;
      }
      unzipper.SetBaseDirectory(args[1]);
    }
    unzipper.SetFileName(args[0]);
    if (mode == u"-l") {
      List(unzipper);
    } else if (mode == u"-t") {
      for (int i = 0; i < unzipper.Count(); ++i)
        unzipper.Items(i).Tagged = true;
      unzipper.TestTaggedItems();
      if (failures == 0)
        std::printf("%d items tested, no errors\n", unzipper.Count());
    } else {
      unzipper.ExtractFiles(args.size() == 3 ? args[2] : u"*.*");
    }
  } catch (const EArException& e) {
    std::fprintf(stderr, "arunzip: %s (ecArchive %d)\n", e.what(), e.ErrorCode());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "arunzip: %s\n", e.what());
    return 2;
  }
  return failures == 0 ? 0 : 1;
}
