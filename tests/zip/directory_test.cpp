// Reading the directory: the end record search, archive kinds, loading with its
// events and errors, name decoding and the derived item properties.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/arc_type.h"
#include "zip/char_set.h"
#include "zip/crc32.h"
#include "zip/item_decoding.h"
#include "zip/zip_archive.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

using namespace ziptest;

std::unique_ptr<TMemoryStream> StreamOf(const TBytes& bytes) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream->SetPosition(0);
  return stream;
}

TEntry Stored(const std::string& name, const std::string& text) {
  TEntry e;
  e.Name = name;
  e.Data = TBytes(text.begin(), text.end());
  return e;
}

// Loads an archive from memory and records its archive-progress events.
struct TLoaded {
  std::unique_ptr<TArZipArchive> Archive;
  std::vector<int> Progress;
  int LoadEvents = 0;
};

TLoaded Load(const TBytes& bytes) {
  TLoaded loaded;
  loaded.Archive = std::make_unique<TArZipArchive>(StreamOf(bytes));
  loaded.Archive->OnArchiveProgress = [&p = loaded.Progress](std::uint8_t v, bool&) {
    p.push_back(v);
  };
  loaded.Archive->OnLoad = [&n = loaded.LoadEvents] { ++n; };
  loaded.Archive->Load();
  return loaded;
}

TEST(CentralDirectoryTail, FoundWithoutCommentWithCommentsAndAppendedBytes) {
  struct TCase {
    const char* Label;
    std::size_t CommentLength;
    std::size_t Trailing;
  };
  for (const TCase& c : {TCase{"no comment", 0, 0}, TCase{"1000-byte comment", 1000, 0},
                         TCase{"65535-byte comment", 65535, 0}, TCase{"appended bytes", 10, 300},
                         TCase{"appended after no comment", 0, 5}}) {
    TArchiveSpec spec;
    spec.Entries = {Stored("a.txt", "alpha")};
    spec.Comment = std::string(c.CommentLength, 'c');
    spec.Trailing = TBytes(c.Trailing, 0x20);
    const TBytes bytes = BuildZip(spec);
    auto stream = StreamOf(bytes);
    const std::int64_t expected =
        static_cast<std::int64_t>(bytes.size() - c.Trailing - c.CommentLength - 22);
    EXPECT_EQ(FindCentralDirectoryTail(*stream), expected) << c.Label;
    EXPECT_EQ(stream->Position(), expected) << c.Label;
    EXPECT_EQ(VerifyZip(*stream), atZip) << c.Label;
    TLoaded loaded = Load(bytes);
    ASSERT_EQ(loaded.Archive->Count(), 1) << c.Label;
    EXPECT_EQ(loaded.Archive->Footer().ZipfileComment.size(), c.CommentLength) << c.Label;
  }
}

TEST(CentralDirectoryTail, MissingInShortOrCutFiles) {
  TArchiveSpec spec;
  spec.Entries = {Stored("a.txt", "alpha")};
  const TBytes whole = BuildZip(spec);
  for (std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{21}, whole.size() - 5}) {
    const TBytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
    auto stream = StreamOf(cut);
    EXPECT_EQ(FindCentralDirectoryTail(*stream), -1) << size;
    EXPECT_EQ(VerifyZip(*stream), atUnknown) << size;
    if (size > 0) {
      TArZipArchive archive(StreamOf(cut));
      EXPECT_THROW(archive.Load(), EArZipInvalid) << size;
    }
  }
}

TEST(ArchiveType, ExtensionsAndContent) {
  TTempDir dir;
  TArchiveSpec spec;
  spec.Entries = {Stored("a.txt", "alpha")};
  const TBytes zip = BuildZip(spec);
  TBytes sfx = {'M', 'Z', 0x90, 0};
  sfx.insert(sfx.end(), zip.begin(), zip.end());
  // A zip whose offsets do not account for the stub still has its end record.
  TBytes gzip = {0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 3};
  TBytes bzip2 = {'B', 'Z', 'h', '9', 0x31, 0x41, 0x59, 0x26, 0x53, 0x59, 0};
  struct TCase {
    const char* Name;
    TBytes Content;
    TArArchiveType Expected;
  };
  const std::vector<TCase> cases = {
      {"a.zip", zip, atZip},
      {"a.jar", zip, atZip},
      {"a.bin", zip, atZip},
      {"setup.exe", sfx, atSelfExtZip},
      {"noext", sfx, atSelfExtZip},
      {"fake.zip", TBytes(100, 'x'), atUnknown},
      {"a.gz", gzip, atGzip},
      {"a.tgz", gzip, atGzippedTar},
      {"a.bz2", bzip2, atBzip2},
      {"data", bzip2, atBzip2},
      {"plain.txt", TBytes(600, 'x'), atUnknown},
  };
  for (const TCase& c : cases) {
    WriteFile(dir / c.Name, c.Content);
    EXPECT_EQ(ArDetermineArcType(U16(dir / c.Name), atUnknown), c.Expected) << c.Name;
  }
  // An empty or missing file keeps what the extension says.
  WriteFile(dir / "empty.zip", TBytes{});
  EXPECT_EQ(ArDetermineArcType(U16(dir / "empty.zip"), atUnknown), atZip);
  EXPECT_EQ(ArDetermineArcType(U16(dir / "missing.cab"), atUnknown), atCab);
}

TEST(ArchiveType, RealTarFile) {
  TTempDir dir;
  MakeArchives("tar", dir.Path());
  EXPECT_EQ(ArDetermineArcType(U16(dir / "t.tar"), atUnknown), atTar);
}

TEST(LoadArchive, ProgressEventsAndCounts) {
  struct TCase {
    int Entries;
    bool DeclareZero;
    std::vector<int> Expected;
  };
  for (const TCase& c :
       {TCase{4, false, {25, 50, 75, 100, 100}}, TCase{3, false, {33, 66, 100, 100}},
        TCase{0, false, {100}}, TCase{2, true, {100}}}) {
    TArchiveSpec spec;
    for (int i = 0; i < c.Entries; ++i)
      spec.Entries.push_back(Stored("f" + std::to_string(i), "x"));
    spec.DeclareZero = c.DeclareZero;
    TLoaded loaded = Load(BuildZip(spec));
    EXPECT_EQ(loaded.Progress, c.Expected) << c.Entries;
    EXPECT_EQ(loaded.Archive->Count(), c.DeclareZero ? 0 : c.Entries);
    EXPECT_EQ(loaded.LoadEvents, 1);
  }
}

TEST(LoadArchive, EmptyStreamHasNoItems) {
  TLoaded loaded = Load(TBytes{});
  EXPECT_EQ(loaded.Archive->Count(), 0);
  EXPECT_TRUE(loaded.Progress.empty());
}

TEST(LoadArchive, AbortFromProgressInvalidatesTheArchive) {
  TArchiveSpec spec;
  spec.Entries = {Stored("a", "1"), Stored("b", "2")};
  TArZipArchive archive(StreamOf(BuildZip(spec)));
  int loadEvents = 0;
  archive.OnLoad = [&] { ++loadEvents; };
  archive.OnArchiveProgress = [](std::uint8_t, bool& abort) { abort = true; };
  EXPECT_THROW(archive.Load(), EArUserAbort);
  EXPECT_EQ(archive.Status(), asInvalid);
  EXPECT_EQ(archive.Count(), 1);
  EXPECT_EQ(loadEvents, 1);
  EXPECT_THROW(archive.CheckValid(), EArNoArchive);
}

TEST(LoadArchive, DamagedDirectoriesRaiseTheirErrors) {
  TArchiveSpec spec;
  spec.Entries = {Stored("a.txt", "alpha"), Stored("b.txt", "beta")};
  const TBytes good = BuildZip(spec);
  const std::size_t end = good.size() - 22;
  const std::size_t central = good.size() - 22 - (46 + 5) * 2;

  TBytes badSignature = good;
  badSignature[central + 46 + 5] = 'X';  // the second central header
  TArZipArchive a(StreamOf(badSignature));
  EXPECT_THROW(a.Load(), EArZipInvalid);
  EXPECT_EQ(a.Count(), 1);  // what was read before the error stays

  TBytes cutExtra = good;  // the first header claims an extra field running past the end
  cutExtra[central + 30] = 0xFF;
  cutExtra[central + 31] = 0xFF;
  TArZipArchive b(StreamOf(cutExtra));
  try {
    b.Load();
    ADD_FAILURE() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }

  TBytes zip64NoLocator = good;  // 0xFFFF entries but no Zip64 locator
  zip64NoLocator[end + 10] = 0xFF;
  zip64NoLocator[end + 11] = 0xFF;
  TArZipArchive c(StreamOf(zip64NoLocator));
  EXPECT_THROW(c.Load(), EArZipInvalid);

  TBytes spanned = good;  // disk number 1
  spanned[end + 4] = 1;
  TArZipArchive d(StreamOf(spanned));
  EXPECT_THROW(d.Load(), EArZipBadSpanStream);
}

TEST(LoadArchive, Zip64CountsAndSizesComeFromTheirRecords) {
  TArchiveSpec spec;
  TEntry big = Stored("big.bin", "0123456789");
  big.OverrideSize = true;
  big.UncompressedSize = 0xFFFFFFFF;
  TBytes sizes;
  PutLE64(sizes, 10);
  big.Extra = SubField(0x0001, sizes);
  spec.Entries = {Stored("a.txt", "alpha"), big};
  spec.Zip64Counts = true;
  TLoaded loaded = Load(BuildZip(spec));
  EXPECT_EQ(loaded.Archive->Footer().TotalEntries, 2);
  ASSERT_EQ(loaded.Archive->Count(), 2);
  EXPECT_EQ(loaded.Archive->Items(1).UncompressedSize, 10);
  EXPECT_EQ(loaded.Archive->Items(1).CompressedSize, 10);
}

// Items that share bytes with each other or with the directory: the archive is
// refused as a whole when it is loaded, before anything can be extracted.
TEST(LoadArchive, OverlappingItemsAreRefused) {
  TTempDir dir;
  MakeArchives("many-items", dir.Path());
  for (const std::string kind : {"shared-data", "nested", "into-directory"}) {
    SCOPED_TRACE(kind);
    TArZipArchive archive(U16(dir / (kind + ".zip")), fmOpenRead | fmShareDenyNone);
    try {
      archive.Load();
      ADD_FAILURE() << "loaded";
    } catch (const EArZipBadCentralDirectory& e) {
      EXPECT_EQ(e.ErrorCode(), EArZipBadCentralDirectory::Code_);
      EXPECT_FALSE(e.Message().empty());
    }
    EXPECT_EQ(archive.Status(), asInvalid);
    EXPECT_THROW(archive.CheckValid(), EArNoArchive);
  }
  // The same writer's well-formed archive, and real tools' archives of many
  // adjacent items (data descriptors and Zip64 extras included), load.
  TArZipArchive good(U16(dir / "good.zip"), fmOpenRead | fmShareDenyNone);
  good.Load();
  EXPECT_EQ(good.Count(), 2);
  // Info-ZIP zip to a file and to a pipe, 7z, zipfile to a pipe.
  for (const char* name : {"infozip.zip", "infozip-pipe.zip", "7z.zip", "zipfile-pipe.zip"}) {
    SCOPED_TRACE(name);
    TArZipArchive tool(U16(dir / name), fmOpenRead | fmShareDenyNone);
    tool.Load();
    EXPECT_EQ(tool.Count(), 40);
  }
}

// A signature in the comment, or megabytes appended after the archive, neither
// hides the end record nor makes the Zip64 locator search walk the file.
TEST(CentralDirectoryTail, SignaturesInTheCommentAndLongTails) {
  struct TCase {
    const char* Label;
    std::string Comment;
    std::size_t Trailing;
  };
  // An end-record signature whose comment length runs past the file's end.
  const std::string fake = std::string("PK\x05\x06", 4) + std::string(16, '\0') + "\xFF\xFF";
  for (const TCase& c : {TCase{"fake record in the comment", "before " + fake + " after", 0},
                         TCase{"two fake records", fake + fake, 0},
                         TCase{"8 MiB after the archive", "", std::size_t{8} << 20}}) {
    SCOPED_TRACE(c.Label);
    TArchiveSpec spec;
    spec.Entries = {Stored("a.txt", "alpha")};
    spec.Comment = c.Comment;
    spec.Trailing = TBytes(c.Trailing, 'P');
    const TBytes bytes = BuildZip(spec);
    auto stream = StreamOf(bytes);
    EXPECT_EQ(FindCentralDirectoryTail(*stream),
              static_cast<std::int64_t>(bytes.size() - c.Trailing - c.Comment.size() - 22));
    TLoaded loaded = Load(bytes);
    EXPECT_EQ(loaded.Archive->Count(), 1);
  }
}

// Exactly 65 535 entries fill the end record's count (0xFFFF) without any Zip64
// record, as Python's zipfile writes them.
TEST(LoadArchive, Exactly65535EntriesWithoutZip64) {
  TTempDir dir;
  MakeArchives("many-65535", dir.Path());
  const TBytes bytes = ReadFile(dir / "many.zip");
  ASSERT_EQ(bytes[bytes.size() - 22 + 10], 0xFF);
  ASSERT_EQ(bytes[bytes.size() - 22 + 11], 0xFF);
  TArZipArchive archive(U16(dir / "many.zip"), fmOpenRead | fmShareDenyNone);
  archive.Load();
  EXPECT_EQ(archive.Count(), 65535);
  EXPECT_EQ(archive.Items(65534).FileName, u"65534");
}

// A stub or padding in front of the archive, its offsets either left relative to
// the archive's own start (a plain concatenation) or adjusted by zip -A.
TEST(LoadArchive, BytesInFrontOfTheArchive) {
  TTempDir dir;
  // zipfile writes Zip64 end records once an offset passes its limit; the end
  // record then points at them with 0xFFFFFFFF, as for a 4 GiB archive.
  MakeArchives("bytes-in-front", dir.Path());
  EXPECT_EQ(ReadFile(dir / "b.txt"), Pattern(20000));
  struct TCase {
    const char* Label;
    const char* Name;
  };
  for (const TCase& c : {
           TCase{"stub, offsets relative", "stub-relative.zip"},
           TCase{"padding, offsets relative", "padding-relative.zip"},
           TCase{"stub, offsets adjusted by zip -A", "stub-adjusted.zip"},
           TCase{"stub before a Zip64 archive", "stub-zip64.zip"},
       }) {
    SCOPED_TRACE(c.Label);
    TArZipArchive archive(U16(dir / c.Name), fmOpenRead | fmShareDenyNone);
    archive.Load();
    ASSERT_EQ(archive.Count(), 2);
    for (int i = 0; i < 2; ++i) {
      TMemoryStream out;
      ArTestZipItem(archive, archive.Items(i));
      ArUnzipToStream(archive, archive.Items(i), &out);
      EXPECT_EQ(out.Bytes(), ReadFile(dir / ToUtf8(archive.Items(i).FileName)));
    }
  }
}

// One name in the code pages of a locale.
struct TLocaleName {
  const char* Locale;
  int Ansi, Oem;
  std::string Utf8;
  std::u16string Expected;
  std::string InOem, InAnsi;
};

void CheckDecodingRules(const TLocaleName& n) {
  ASSERT_EQ(AnsiCodePage(), n.Ansi);
  ASSERT_EQ(OemCodePage(), n.Oem);
  TBytes unicodePath = {1};
  TBytes wrongCrc = {1};
  {
    const TBytes provisional =
        EncodeCodePage(n.Ansi, DecodeCodePage(n.Ansi, TBytes(n.InOem.begin(), n.InOem.end())));
    PutLE32(unicodePath, ArCRC32Of(provisional));
    PutLE32(wrongCrc, ArCRC32Of(provisional) ^ 1);
    unicodePath.insert(unicodePath.end(), n.Utf8.begin(), n.Utf8.end());
    wrongCrc.insert(wrongCrc.end(), n.Utf8.begin(), n.Utf8.end());
  }
  TBytes xceed;
  PutLE32(xceed, 0x5843554E);
  PutLE32(xceed, static_cast<std::uint32_t>(n.Expected.size()));
  for (char16_t c : n.Expected)
    PutLE16(xceed, c);

  struct TCase {
    const char* Label;
    std::string Raw;
    std::uint16_t Flags;
    std::uint16_t MadeBy;
    TBytes Extra;
    std::u16string Expected;
  };
  const std::vector<TCase> cases = {
      {"UTF-8 flag, ASCII name", "plain.txt", 0x0800, 0x0314, {}, u"plain.txt"},
      {"UTF-8 without the flag", n.Utf8, 0, 0x0314, {}, n.Expected},
      {"OEM from a DOS host", n.InOem, 0, 0x0014, {}, n.Expected},
      {"ANSI from a Unix host", n.InAnsi, 0, 0x0314, {}, n.Expected},
      {"Info-ZIP Unicode path, right CRC", n.InOem, 0, 0x0314, SubField(0x7075, unicodePath),
       n.Expected},
      {"Info-ZIP Unicode path, wrong CRC", n.InOem, 0, 0x0B14, SubField(0x7075, wrongCrc),
       DecodeCodePage(n.Oem, TBytes(n.InOem.begin(), n.InOem.end()))},
      {"Xceed Unicode path", "x.txt", 0, 0x0B14, SubField(0x554E, xceed), n.Expected},
  };
  for (const TCase& c : cases) {
    TArchiveSpec spec;
    TEntry e = Stored(c.Raw, "data");
    e.Flags = c.Flags;
    e.VersionMadeBy = c.MadeBy;
    e.Extra = c.Extra;
    spec.Entries = {e};
    TLoaded loaded = Load(BuildZip(spec));
    ASSERT_EQ(loaded.Archive->Count(), 1);
    EXPECT_EQ(loaded.Archive->Items(0).FileName, c.Expected) << c.Label;
  }
}

// The rules in the code pages of each locale that this program can take on (a
// Windows program keeps those it was started with: there one of them runs).
TEST(ItemNames, DecodingRules) {
  const std::vector<TLocaleName> names = {
      // žluťoučký.txt; in CP852 ž=A7 ť=9C č=9F ý=EC.
      {"cs_CZ.UTF-8", 1250, 852, "\xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD.txt",
       u"\u017Elu\u0165ou\u010Dk\u00FD.txt",
       "\xA7lu\x9Cou\x9F"
       "k\xEC.txt",
       "\x9Elu\x9Dou\xE8k\xFD.txt"},
      // façade über.txt; in CP437 ç=87 ü=81.
      {"en_US.UTF-8", 1252, 437,
       "fa\xC3\xA7"
       "ade \xC3\xBC"
       "ber.txt",
       u"fa\u00E7ade \u00FCber.txt",
       "fa\x87"
       "ade \x81"
       "ber.txt",
       "fa\xE7"
       "ade \xFC"
       "ber.txt"},
  };
  int ran = 0;
  for (const TLocaleName& n : names) {
    SCOPED_TRACE(n.Locale);
    TLocale locale(n.Locale);
    if (!locale.Active()) {
      std::cout << "[   NOTE   ] " << n.Locale << ": this program runs with other code pages\n";
      continue;
    }
    CheckDecodingRules(n);
    ++ran;
  }
  EXPECT_GE(ran, 1);
}

TEST(ItemNames, DetectCharSet) {
  struct TCase {
    std::string Bytes;
    TArCharSet Expected;
  };
  for (const TCase& c :
       {TCase{"", csASCII}, TCase{"abc", csASCII}, TCase{"\xC3\xA9", csUTF8},
        TCase{"\xE2\x82\xAC", csUTF8}, TCase{"\xF0\x9F\x98\x80", csUTF8}, TCase{"\xC3", csANSI},
        TCase{"\xE9t\xE9", csANSI}, TCase{"\xC0\x80", csANSI}, TCase{"a\x80", csANSI},
        TCase{"\xC3\xA9\xFF", csANSI}}) {
    EXPECT_EQ(
        ArDetectCharSet(reinterpret_cast<const std::uint8_t*>(c.Bytes.data()), c.Bytes.size()),
        c.Expected)
        << c.Bytes;
  }
}

TEST(ItemNames, IsOem) {
  const std::string oemOnly = "\x82\x87";  // in the 852 OEM set, not in its ANSI set
  const std::string both = "\xC1";         // in both sets
  const auto check = [](const std::string& s, int cp) {
    return ArIsOEM(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), cp);
  };
  EXPECT_TRUE(check(oemOnly, 852));
  EXPECT_FALSE(check(both, 437));
  EXPECT_FALSE(check("abc", 852));
  EXPECT_FALSE(check(oemOnly, 1252));  // not an OEM code page of the table
}

TEST(Items, DerivedProperties) {
  struct TCase {
    const char* Name;
    std::uint16_t MadeBy;
    std::uint32_t Attributes;
    bool Directory;
    std::uint32_t Native;
  };
  for (const TCase& c :
       {TCase{"dir/", 0x0014, 0, true, 0}, TCase{"dir", 0x0014, 0x10, true, 0x10},
        TCase{"dir\\", 0x0014, 0, true, 0}, TCase{"f.txt", 0x0014, 0x21, false, 0x21},
        TCase{"f.txt", 0x0314, 0x81A40000, false, 0},
        TCase{"r.txt", 0x0314, 0x81240000, false, faReadOnly},
        TCase{"d", 0x0314, 0x41ED0000, false, faDirectory},
        TCase{"l", 0x0314, 0xA1FF0000, false, faSysFile},
        TCase{"w.txt", 0x0B14, 0x81A40020, false, 0}}) {
    TArchiveSpec spec;
    TEntry e = Stored(c.Name, "");
    e.VersionMadeBy = c.MadeBy;
    e.ExternalAttributes = c.Attributes;
    spec.Entries = {e};
    TLoaded loaded = Load(BuildZip(spec));
    const TArZipItem& item = loaded.Archive->Items(0);
    EXPECT_EQ(item.IsDirectory(), c.Directory) << c.Name;
    EXPECT_EQ(item.NativeFileAttributes(), c.Native) << c.Name;
  }
}

TEST(Items, FindIsCaseInsensitiveAndKeepsTheFirst) {
  TArchiveSpec spec;
  for (int i = 0; i < 3000; ++i)
    spec.Entries.push_back(Stored("dir/file" + std::to_string(i) + ".txt", ""));
  spec.Entries.push_back(Stored("DIR/FILE7.TXT", "second"));
  // Letters beyond ASCII, as UTF-8: Czech, German, Greek and Cyrillic.
  spec.Entries.push_back(Stored("\xC5\xBDLU\xC5\xA4OU\xC4\x8CK\xC3\x9D.TXT", ""));
  spec.Entries.push_back(Stored("\xC3\x9C\xCE\xA3\xD0\x96.txt", ""));
  TLoaded loaded = Load(BuildZip(spec));
  EXPECT_EQ(loaded.Archive->FindFile(u"\u017Elu\u0165ou\u010Dk\u00FD.txt"), 3001);
  EXPECT_EQ(loaded.Archive->FindFile(u"\u00FC\u03C3\u0436.TXT"), 3002);
  EXPECT_EQ(TArArchiveList::Bucket(u"\u00E9t\u00E9"), TArArchiveList::Bucket(u"\u00C9T\u00C9"));
  EXPECT_EQ(loaded.Archive->FindFile(u"dir/file7.txt"), 7);
  EXPECT_EQ(loaded.Archive->FindFile(u"Dir/File2999.TXT"), 2999);
  EXPECT_EQ(loaded.Archive->FindFile(u"dir/file3000.txt"), -1);
  EXPECT_EQ(TArArchiveList::Bucket(u"abc"), TArArchiveList::Bucket(u"ABC"));
}

TEST(Items, DosDateTimes) {
  EXPECT_EQ(ArDosDateTimeToDateTime(0x5A21, 0x6000), EncodeDateTime(2025, 1, 1, 12, 0, 0));
  EXPECT_THROW(ArDosDateTimeToDateTime(0, 0), EConvertError);            // day 0, month 0
  EXPECT_THROW(ArDosDateTimeToDateTime(0x5A21, 0xC000), EConvertError);  // hour 24
  EXPECT_THROW(ArDosDateTimeToDateTime(0x5A5E, 0), EConvertError);       // 30 February
}

}  // namespace
}  // namespace vornel
