// The unzipper component: opening, options, masks, events, file handling and
// hostile names.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host_refusals.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/pattern_match.h"
#include "zip/unzipper.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

using namespace ziptest;

TEntry File(const std::string& name, const std::string& text) {
  TEntry e;
  e.Name = name;
  e.Data = TBytes(text.begin(), text.end());
  return e;
}

TEntry Folder(const std::string& name) {
  TEntry e;
  e.Name = name;
  e.ExternalAttributes = 0x10;
  return e;
}

struct TFailure {
  std::string Name;
  TArErrorClass Class;
  int Code;
  std::string Message;
};

// An unzipper on a hand-made archive, recording its events.
class TUnzipperTest : public ::testing::Test {
 protected:
  void Open(const TArchiveSpec& spec) {
    WriteFile(FDir / "a.zip", BuildZip(spec));
    ASSERT_TRUE(fs::create_directory(FDir / "out"));
    FUnzipper.OnArchiveProgress = [this](TArUnZipper&, std::uint8_t p, bool&) {
      FProgress.push_back(p);
    };
    FUnzipper.OnProcessItemFailure = [this](TArUnZipper& sender, TArZipItem& item, TArProcessType,
                                            TArErrorClass ec, int code) {
      FFailures.push_back({ToUtf8(item.FileName), ec, code, ToUtf8(sender.FailureMessage())});
      EXPECT_FALSE(sender.FailureMessage().empty()) << ToUtf8(item.FileName);
    };
    FUnzipper.SetFileName(U16(FDir / "a.zip"));
    FUnzipper.SetBaseDirectory(U16(FDir / "out"));
    FProgress.clear();
  }
  fs::path Out(const std::string& name) const { return FDir / "out" / name; }
  std::string Text(const std::string& name) const {
    const TBytes b = ReadFile(Out(name));
    return std::string(b.begin(), b.end());
  }

  TTempDir FDir;
  TArUnZipper FUnzipper;
  std::vector<int> FProgress;
  std::vector<TFailure> FFailures;
};

TEST_F(TUnzipperTest, DefaultsAndNoArchive) {
  EXPECT_EQ(FUnzipper.ExtractOptions(), eoCreateDirs);
  EXPECT_EQ(FUnzipper.PasswordRetries(), 3);
  EXPECT_EQ(FUnzipper.Count(), 0);
  EXPECT_EQ(FUnzipper.Status(), asInvalid);
  EXPECT_THROW(FUnzipper.ExtractFiles(u"*.*"), EArNoArchive);
  EXPECT_THROW(FUnzipper.SetFileName(U16(FDir / "missing.zip")), EArFileNotFound);
  WriteFile(FDir / "empty.zip", TBytes{});
  EXPECT_THROW(FUnzipper.SetFileName(U16(FDir / "empty.zip")), EArBadStream);
  WriteFile(FDir / "text.zip", std::string(100, 'x'));
  EXPECT_THROW(FUnzipper.SetFileName(U16(FDir / "text.zip")), EArUnhandledType);
}

TEST_F(TUnzipperTest, ProgressOfThreeItems) {
  TArchiveSpec spec;
  spec.Entries = {File("a.txt", "a"), File("b.txt", "b"), File("c.txt", "c")};
  std::vector<int> loadProgress;
  FUnzipper.OnArchiveProgress = [&](TArUnZipper&, std::uint8_t p, bool&) {
    loadProgress.push_back(p);
  };
  WriteFile(FDir / "a.zip", BuildZip(spec));
  int changes = 0;
  FUnzipper.OnChange = [&](TArUnZipper&) { ++changes; };
  FUnzipper.SetFileName(U16(FDir / "a.zip"));
  EXPECT_EQ(loadProgress, (std::vector<int>{33, 66, 100, 100}));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(FUnzipper.Count(), 3);
  loadProgress.clear();
  FUnzipper.SetBaseDirectory(FDir.U16());
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_EQ(loadProgress, (std::vector<int>{33, 66, 100, 100}));
  FUnzipper.CloseArchive();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(FUnzipper.Count(), 0);
}

TEST_F(TUnzipperTest, EmptyArchiveRaisesNoExtractionProgress) {
  Open(TArchiveSpec{});
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_TRUE(FProgress.empty());
}

TEST_F(TUnzipperTest, PathsDroppedWithCreateDirsAlone) {
  TArchiveSpec spec;
  spec.Entries = {Folder("docs/"), File("docs/a.txt", "first"), File("b/a.txt", "second")};
  Open(spec);
  FUnzipper.SetExtractOptions(eoCreateDirs);
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_EQ(Text("a.txt"), "second");
  EXPECT_FALSE(fs::exists(Out("docs")));
  EXPECT_FALSE(fs::exists(Out("b")));
  EXPECT_TRUE(FFailures.empty());
}

TEST_F(TUnzipperTest, RestorePathAloneNeedsExistingFolders) {
  TArchiveSpec spec;
  spec.Entries = {File("top.txt", "t"), Folder("sub/"), File("sub/x.txt", "x")};
  Open(spec);
  FUnzipper.SetExtractOptions(eoRestorePath);
  try {
    FUnzipper.ExtractFiles(u"*.*");
    ADD_FAILURE() << "no error";
  } catch (const EArNoSuchDirectory& e) {
    EXPECT_EQ(e.Message(), u"Directory does not exist");
  }
  EXPECT_EQ(Text("top.txt"), "t");
  EXPECT_FALSE(fs::exists(Out("sub")));
}

TEST_F(TUnzipperTest, BothOptionsCreateFolders) {
  TArchiveSpec spec;
  spec.Entries = {Folder("sub/"), File("sub/deeper/x.dat", "deep"), File("sub\\win.txt", "back")};
  Open(spec);
  FUnzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_TRUE(fs::is_directory(Out("sub")));
  EXPECT_EQ(Text("sub/deeper/x.dat"), "deep");
  EXPECT_EQ(Text("sub/win.txt"), "back");
  EXPECT_EQ(FProgress, (std::vector<int>{33, 66, 100, 100}));
}

TEST_F(TUnzipperTest, Masks) {
  TArchiveSpec spec;
  spec.Entries = {File("README", "r"), File("a.txt", "a"), File("b.doc", "b"),
                  File("docs/c.txt", "c")};
  Open(spec);
  FUnzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  FUnzipper.ExtractFilesEx(u"*.txt ; README", u"");
  EXPECT_TRUE(fs::exists(Out("README")));
  EXPECT_TRUE(fs::exists(Out("a.txt")));
  EXPECT_TRUE(fs::exists(Out("docs/c.txt")));
  EXPECT_FALSE(fs::exists(Out("b.doc")));
  fs::remove_all(FDir / "out");
  fs::create_directory(FDir / "out");
  FUnzipper.ExtractFilesEx(u"*.*", u"docs\\*.txt");
  EXPECT_TRUE(fs::exists(Out("b.doc")));
  EXPECT_FALSE(fs::exists(Out("docs/c.txt")));
}

TEST(PatternMatch, Table) {
  struct TCase {
    std::u16string S, Pattern;
    bool Expected;
  };
  for (const TCase& c : std::vector<TCase>{{u"README", u"*.*", true},
                                           {u"", u"*", false},
                                           {u"", u"", true},
                                           {u"A.TXT", u"*.TXT", true},
                                           {u"A.TXT", u"?.TXT", true},
                                           {u"AB.TXT", u"?.TXT", false},
                                           {u"A", u"A?", false},
                                           {u"ABCABD", u"*ABD", true},
                                           {u"ABC", u"A*B*C*", true},
                                           {u"ABC", u"ABD", false}}) {
    EXPECT_EQ(ArPatternMatch(c.S, c.Pattern), c.Expected)
        << ToUtf8(c.S) << " " << ToUtf8(c.Pattern);
  }
  TArArchiveItem item;
  item.FileName = u"Docs/Sub/File.Txt";
  EXPECT_TRUE(MatchesStoredName(item, u"docs\\sub\\*.txt"));
  EXPECT_TRUE(MatchesStoredName(item, u"C:\\docs/sub/file.txt"));
  EXPECT_FALSE(MatchesStoredName(item, u"other\\*.txt"));
  EXPECT_TRUE(MatchesStoredName(item, u"*.txt"));
  EXPECT_FALSE(MatchesStoredNameEx(item, u""));
}

TEST_F(TUnzipperTest, BaseDirectoryNormalisation) {
  Open(TArchiveSpec{});
  FUnzipper.SetBaseDirectory(U16(FDir / "out") + PathDelimiter);
  EXPECT_EQ(FUnzipper.BaseDirectory(), U16(FDir / "out"));
  FUnzipper.SetBaseDirectory(u"/");
  EXPECT_EQ(FUnzipper.BaseDirectory(), u"/");
  FUnzipper.SetBaseDirectory(u"");
  EXPECT_EQ(FUnzipper.BaseDirectory(), u"");
  EXPECT_THROW(FUnzipper.SetBaseDirectory(U16(FDir / "nowhere")), EArNoSuchDirectory);
  EXPECT_EQ(FUnzipper.BaseDirectory(), u"");
  // Without an archive the value is kept as given and checked when one opens.
  TArUnZipper closed;
  closed.SetBaseDirectory(U16(FDir / "nowhere"));
  EXPECT_EQ(closed.BaseDirectory(), U16(FDir / "nowhere"));
  EXPECT_THROW(closed.SetFileName(U16(FDir / "a.zip")), EArNoSuchDirectory);
}

TEST_F(TUnzipperTest, EmptyBaseDirectoryIsTheCurrentFolder) {
  TArchiveSpec spec;
  spec.Entries = {File("here.txt", "h")};
  Open(spec);
  FUnzipper.SetBaseDirectory(u"");
  const fs::path old = fs::current_path();
  fs::current_path(FDir / "out");
  FUnzipper.ExtractFiles(u"*.*");
  fs::current_path(old);
  EXPECT_EQ(Text("here.txt"), "h");
}

TEST_F(TUnzipperTest, OverwriteAndReadOnlyTargets) {
  TArchiveSpec spec;
  spec.Entries = {File("a.txt", "new"), File("ro.txt", "new")};
  Open(spec);
  WriteFile(Out("a.txt"), "old");
  WriteFile(Out("ro.txt"), "old");
  fs::permissions(Out("ro.txt"), fs::perms::owner_read | fs::perms::group_read);
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_EQ(Text("a.txt"), "new");
  EXPECT_EQ(Text("ro.txt"), "old");
  ASSERT_EQ(FFailures.size(), 1u);
  EXPECT_EQ(FFailures[0].Name, "ro.txt");
  EXPECT_EQ(FFailures[0].Class, ecFileCreateError);

  // A handler that declines, and one that renames.
  std::vector<std::u16string> asked;
  FUnzipper.OnConfirmOverwrite = [&](std::u16string& name, bool& confirm) {
    asked.push_back(name);
    if (name.ends_with(u"a.txt")) {
      name += u".renamed";
    } else {
      confirm = false;
    }
  };
  FFailures.clear();
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(Text("a.txt.renamed"), "new");
  EXPECT_TRUE(FFailures.empty());
}

TEST_F(TUnzipperTest, ConfirmProcessItemAndItemMeter) {
  struct TMeter : IArProgressMeter {
    std::vector<int> Calls;  // -1 for Reset
    void DoProgress(std::uint8_t p) override { Calls.push_back(p); }
    void Reset() override { Calls.push_back(-1); }
  };
  TArchiveSpec spec;
  TEntry big = File("big.bin", "");
  big.Data = Pattern(100000);
  spec.Entries = {File("skip.txt", "s"), big, File("empty.txt", "")};
  Open(spec);
  auto meter = std::make_unique<TMeter>();
  FUnzipper.SetItemProgressMeter(meter.get());
  FUnzipper.OnConfirmProcessItem = [](TArUnZipper&, TArZipItem& item, TArProcessType,
                                      bool& confirm) { confirm = item.FileName != u"skip.txt"; };
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_EQ(meter->Calls, (std::vector<int>{-1, -1, 61, 100, -1}));
  EXPECT_FALSE(fs::exists(Out("skip.txt")));
  EXPECT_TRUE(fs::exists(Out("empty.txt")));
  EXPECT_EQ(fs::file_size(Out("empty.txt")), 0u);
  meter.reset();  // the component drops a meter that goes away
  EXPECT_EQ(FUnzipper.ItemProgressMeter(), nullptr);
  FUnzipper.ExtractFiles(u"*.*");
}

TEST_F(TUnzipperTest, FailuresAreReportedAndTheRunGoesOn) {
  TArchiveSpec spec;
  TEntry badCrc = File("badcrc.txt", "content");
  badCrc.OverrideCrc = true;
  badCrc.Crc = 7;
  TEntry method = File("method.bin", "zzz");
  method.Method = 99;
  TEntry version = File("version.bin", "v");
  version.VersionNeeded = 64;
  // Date 0 (as Go's writer stores it) and an impossible time are no failures.
  TEntry badDate = File("date.txt", "d");
  badDate.Date = 0;
  badDate.Time = 0;
  TEntry badTime = File("time.txt", "t");
  badTime.Time = 0xBFFF;  // 23:63:62
  TEntry emptyOdd = File("empty.odd", "");
  emptyOdd.Method = 42;
  emptyOdd.OverrideCrc = true;
  emptyOdd.Crc = 5;
  spec.Entries = {badCrc, method, version, badDate, badTime, emptyOdd, File("ok.txt", "fine")};
  Open(spec);
  WriteFile(Out("method.bin"), "keep me");
  const std::time_t before = std::time(nullptr);
  FUnzipper.ExtractFiles(u"*.*");
  ASSERT_EQ(FFailures.size(), 3u);
  EXPECT_EQ(FFailures[0].Name, "badcrc.txt");
  EXPECT_EQ(FFailures[0].Class, ecArchive);
  EXPECT_EQ(FFailures[0].Code, 19);
  EXPECT_EQ(FFailures[0].Message, "Failed CRC Check");
  EXPECT_EQ(Text("badcrc.txt"), "content");  // stays, as written
  EXPECT_EQ(FFailures[1].Code, 2);
  EXPECT_EQ(FFailures[1].Message, "Cannot extract file - unsupported compression method");
  EXPECT_EQ(Text("method.bin"), "keep me");  // failed before the target was touched
  EXPECT_EQ(FFailures[2].Code, 1);
  for (const char* name : {"date.txt", "time.txt"})
    EXPECT_GE(ModifiedTime(Out(name)), before - 5) << name;  // as the extraction made it
  EXPECT_EQ(Text("date.txt"), "d");
  EXPECT_EQ(fs::file_size(Out("empty.odd")), 0u);
  EXPECT_EQ(Text("ok.txt"), "fine");
}

// Every exception becomes a failure with a text, whatever its kind.
TEST(ConvertException, EveryFailureHasAText) {
  struct TCase {
    const char* Label;
    std::exception_ptr Error;
    TArErrorClass Class;
    std::u16string Message;
  };
  const std::vector<TCase> cases = {
      {"archive", std::make_exception_ptr(EArZipBadCRC()), ecArchive, u"Failed CRC Check"},
      {"system", std::make_exception_ptr(EOSError(u"File name too long (x)", 36)), ecInOutError,
       u"File name too long (x)"},
      {"conversion", std::make_exception_ptr(EConvertError(u"Invalid MS-DOS date or time")),
       ecOther, u"Invalid MS-DOS date or time"},
      {"standard", std::make_exception_ptr(std::runtime_error("out of range")), ecOther,
       u"out of range"},
      {"empty text", std::make_exception_ptr(std::runtime_error("")), ecOther, u"Unknown error"},
      {"not an exception", std::make_exception_ptr(42), ecOther, u"Unknown error"},
  };
  for (const TCase& c : cases) {
    TArErrorClass errorClass = ecCabError;
    int code = -1;
    std::u16string message;
    ArConvertException(c.Error, errorClass, code, message);
    EXPECT_EQ(errorClass, c.Class) << c.Label;
    EXPECT_EQ(message, c.Message) << c.Label;
  }
}

// A name the file system cannot hold and a file where a folder must go (or the
// other way round) fail their items with the file system's text; the run goes on.
TEST_F(TUnzipperTest, FileSystemRefusalsAreItemFailures) {
  const std::string longName(300, 'n');
  TArchiveSpec spec;
  spec.Entries = {File("a", "a file"),
                  File("a/b.txt", "below a file"),
                  Folder("d/"),
                  File("d", "a file where a folder is"),
                  File("f", "a file"),
                  Folder("f/"),
                  File(longName + "/x.txt", "long folder"),
                  File(longName, "long file"),
                  File("ok.txt", "fine")};
  Open(spec);
  FUnzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  EXPECT_NO_THROW(FUnzipper.ExtractFiles(u"*.*"));
  std::vector<std::string> names;
  for (const TFailure& f : FFailures) {
    names.push_back(f.Name.size() > 20 ? f.Name.substr(f.Name.size() - 5) : f.Name);
    EXPECT_NE(f.Class, ecOther) << f.Name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a/b.txt", "d", "f/", "x.txt", "nnnnn"}));
  ASSERT_EQ(FFailures.size(), 5u);
  EXPECT_NE(FFailures[0].Message.find(kNotAFolderText), std::string::npos) << FFailures[0].Message;
  EXPECT_NE(FFailures[1].Message.find(kIsAFolderText), std::string::npos) << FFailures[1].Message;
  EXPECT_NE(FFailures[3].Message.find(kLongFolderText), std::string::npos) << FFailures[3].Message;
  EXPECT_NE(FFailures[4].Message.find(kLongFileText), std::string::npos) << FFailures[4].Message;
  EXPECT_EQ(Text("a"), "a file");
  EXPECT_TRUE(fs::is_directory(Out("d")));
  EXPECT_EQ(Text("ok.txt"), "fine");
}

// A central entry whose local header names another item fails that item alone.
TEST_F(TUnzipperTest, LocalNameMustMatchTheCentralName) {
  MakeArchives("name-mismatch", FDir.Path());
  ASSERT_TRUE(fs::create_directory(FDir / "out"));
  FUnzipper.OnProcessItemFailure = [this](TArUnZipper& sender, TArZipItem& item, TArProcessType,
                                          TArErrorClass ec, int code) {
    FFailures.push_back({ToUtf8(item.FileName), ec, code, ToUtf8(sender.FailureMessage())});
  };
  FUnzipper.SetFileName(U16(FDir / "m.zip"));
  FUnzipper.SetBaseDirectory(U16(FDir / "out"));
  FUnzipper.ExtractFiles(u"*.*");
  ASSERT_EQ(FFailures.size(), 1u);
  EXPECT_EQ(FFailures[0].Name, "second.txt");
  EXPECT_EQ(FFailures[0].Code, EArZipInvalidLFH::Code_);
  EXPECT_EQ(Text("first.txt"), "first");
  EXPECT_FALSE(fs::exists(Out("second.txt")));
  EXPECT_FALSE(fs::exists(Out("other.txt")));
}

TEST_F(TUnzipperTest, AbortFromArchiveProgressEndsTheRun) {
  TArchiveSpec spec;
  spec.Entries = {File("a", "1"), File("b", "2"), File("c", "3")};
  Open(spec);
  FUnzipper.OnArchiveProgress = [](TArUnZipper&, std::uint8_t p, bool& abort) { abort = p > 50; };
  EXPECT_THROW(FUnzipper.ExtractFiles(u"*.*"), EArUserAbort);
  EXPECT_TRUE(fs::exists(Out("b")));
  EXPECT_FALSE(fs::exists(Out("c")));
}

TEST_F(TUnzipperTest, AbortInsideAnItemDeletesItAndInvalidatesTheArchive) {
  TArchiveSpec spec;
  TEntry big = File("big.bin", "");
  big.Data = Pattern(200000);
  spec.Entries = {big, File("after.txt", "x")};
  Open(spec);
  FUnzipper.OnArchiveItemProgress = [](TArUnZipper&, TArZipItem&, std::uint8_t p, bool& abort) {
    abort = p > 20;
  };
  EXPECT_THROW(FUnzipper.ExtractFiles(u"*.*"), EArNoArchive);
  ASSERT_EQ(FFailures.size(), 1u);
  EXPECT_EQ(FFailures[0].Code, 9);
  EXPECT_FALSE(fs::exists(Out("big.bin")));
  EXPECT_FALSE(fs::exists(Out("after.txt")));
  EXPECT_EQ(FUnzipper.Status(), asInvalid);
}

TEST_F(TUnzipperTest, ExtractToStreamAndTagging) {
  TArchiveSpec spec;
  spec.Entries = {File("one.txt", "1"), File("two.txt", "22"), File("three.dat", "333")};
  Open(spec);
  TMemoryStream out;
  FUnzipper.ExtractToStream(u"TWO.TXT", &out);
  EXPECT_EQ(out.Size(), 2);
  FUnzipper.ExtractToStream(u"absent", &out);
  FUnzipper.ExtractToStream(u"one.txt", nullptr);
  ASSERT_EQ(FFailures.size(), 1u);
  EXPECT_EQ(FFailures[0].Code, 17);

  FUnzipper.TagItems(u"*.txt");
  FUnzipper.UnTagItems(u"one.*");
  FUnzipper.ExtractTaggedItems();
  EXPECT_TRUE(fs::exists(Out("two.txt")));
  EXPECT_FALSE(fs::exists(Out("one.txt")));
  EXPECT_FALSE(fs::exists(Out("three.dat")));
  FUnzipper.ClearTags();
  EXPECT_FALSE(FUnzipper.Items(1).Tagged);
  FUnzipper.TagItems(u"*.*");
  FFailures.clear();
  FUnzipper.TestTaggedItems();
  EXPECT_TRUE(FFailures.empty());
}

TEST_F(TUnzipperTest, TimesAndPermissions) {
  TArchiveSpec spec;
  TEntry exe = File("run.sh", "#!/bin/sh\n");
  exe.VersionMadeBy = 0x0314;
  exe.ExternalAttributes = 0100755u << 16;
  TEntry ro = File("ro.txt", "r");
  ro.ExternalAttributes = 0x01;
  TEntry link = File("link", "/etc/passwd");
  link.VersionMadeBy = 0x0314;
  link.ExternalAttributes = 0120777u << 16;
  spec.Entries = {exe, ro, link};
  Open(spec);
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_EQ(FileMode(Out("run.sh")), StoredMode(0755));
  EXPECT_EQ(LocalDateTimeToUnix(EncodeDateTime(2025, 1, 1, 12, 0, 0)), ModifiedTime(Out("run.sh")));
  // Made by MS-DOS with the read-only attribute: no one may write.
  EXPECT_FALSE(AnyoneMayWrite(Out("ro.txt")));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Out("link"))));
  EXPECT_EQ(Text("link"), "/etc/passwd");
}

TEST_F(TUnzipperTest, HostileNamesStayInsideTheBaseFolder) {
  TArchiveSpec spec;
  spec.Entries = {File("../escape.txt", "x"),
                  File("/tmp/vornel-abs.txt", "x"),
                  File("C:\\drive.txt", "x"),
                  File("\\\\server\\share\\x.txt", "x"),
                  File("a/../../escape2.txt", "x"),
                  File("ok/../fine.txt", "fine"),
                  File("..", "x"),
                  File("./dot.txt", "dot")};
  Open(spec);
  FUnzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  FUnzipper.ExtractFiles(u"*.*");
  std::vector<std::string> rejected;
  for (const auto& f : FFailures) {
    EXPECT_EQ(f.Class, ecArchive);
    EXPECT_EQ(f.Code, EArUnsafePath::Code_);
    rejected.push_back(f.Name);
  }
  EXPECT_EQ(rejected,
            (std::vector<std::string>{"../escape.txt", "/tmp/vornel-abs.txt", "C:\\drive.txt",
                                      "\\\\server\\share\\x.txt", "a/../../escape2.txt", ".."}));
  EXPECT_EQ(Text("fine.txt"), "fine");
  EXPECT_EQ(Text("dot.txt"), "dot");
  EXPECT_FALSE(fs::exists(FDir / "escape.txt"));
  EXPECT_FALSE(fs::exists(FDir / "escape2.txt"));
  EXPECT_FALSE(fs::exists("/tmp/vornel-abs.txt"));
  // Only the base folder's own content was written.
  std::vector<std::string> top;
  for (const auto& entry : fs::directory_iterator(FDir.Path()))
    top.push_back(entry.path().filename().string());
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (std::vector<std::string>{"a.zip", "out"}));
}

TEST_F(TUnzipperTest, SymbolicLinkThenAFileThroughIt) {
  TTempDir outside;
  TArchiveSpec spec;
  TEntry link = File("link", outside.Path().string());
  link.VersionMadeBy = 0x0314;
  link.ExternalAttributes = 0120777u << 16;
  spec.Entries = {link, File("link/planted.txt", "evil")};
  Open(spec);
  FUnzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  try {
    FUnzipper.ExtractFiles(u"*.*");
  } catch (const Exception&) {
    // The folder "link" cannot be made where a file of that name is.
  }
  EXPECT_FALSE(fs::exists(outside.Path() / "planted.txt"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Out("link"))));

  // A link already lying in the base folder is replaced, not followed.
  fs::remove(Out("link"));
  PlantFileLink(outside.Path() / "victim.txt", Out("victim.txt"));
  const std::string before = Snapshot(outside.Path());
  TArchiveSpec second;
  second.Entries = {File("victim.txt", "replaced")};
  WriteFile(FDir / "b.zip", BuildZip(second));
  FUnzipper.SetFileName(U16(FDir / "b.zip"));
  FUnzipper.ExtractFiles(u"*.*");
  EXPECT_EQ(Snapshot(outside.Path()), before);
  EXPECT_EQ(Text("victim.txt"), "replaced");
}

}  // namespace
}  // namespace vornel
