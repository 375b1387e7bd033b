// Archives written by Info-ZIP zip, 7z and Python's zipfile with deflate and
// deflate64, extracted by the unzipper and compared byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/crc32.h"
#include "zip/item_decoding.h"
#include "zip/unzipper.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

using namespace ziptest;

struct TFailure {
  std::string Name;
  TArErrorClass Class;
  int Code;
};

// The recipe's source tree (text, binary, empty, read-only, executable and nested
// files, all dated 2021-03-04 05:06:08) and the tools' archives of it.
class TToolArchives : public ::testing::Test {
 protected:
  void SetUp() override { MakeArchives("tool-tree", FDir.Path()); }

  // Extracts with both options into a fresh folder, then tests every item; returns
  // the failures of the extraction (those of the test go to FTestFailures).
  std::vector<TFailure> Extract(const fs::path& archive, const fs::path& out,
                                const std::u16string& password = {}) {
    fs::create_directories(out);
    std::vector<TFailure> failures;
    TArUnZipper unzipper;
    unzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
    unzipper.SetPassword(password);
    unzipper.OnProcessItemFailure = [&](TArUnZipper&, TArZipItem& item, TArProcessType,
                                        TArErrorClass ec, int code) {
      failures.push_back({ToUtf8(item.FileName), ec, code});
    };
    unzipper.SetFileName(U16(archive));
    unzipper.SetBaseDirectory(U16(out));
    unzipper.ExtractFiles(u"*.*");
    const std::vector<TFailure> extracted = failures;
    failures.clear();
    unzipper.TagItems(u"*.*");
    unzipper.TestTaggedItems();
    FTestFailures = failures;
    return extracted;
  }

  void ExpectSameTree(const fs::path& out) {
    const fs::path src = FDir / "src";
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
      const fs::path rel = fs::relative(entry.path(), src);
      SCOPED_TRACE(rel.string());
      if (entry.is_directory()) {
        EXPECT_TRUE(fs::is_directory(out / rel));
      } else {
        EXPECT_EQ(ReadFile(out / rel), ReadFile(entry.path()));
      }
    }
  }

  TTempDir FDir;
  std::vector<TFailure> FTestFailures;
};

TEST_F(TToolArchives, InfoZipLevelsAndOptions) {
  struct TCase {
    const char* Name;  // zip -0, -1, -6, -9, -6 -P s3cret, -6 -fz
    const char16_t* Password;
  };
  for (const TCase& c :
       {TCase{"stored.zip", u""}, TCase{"fast.zip", u""}, TCase{"normal.zip", u""},
        TCase{"best.zip", u""}, TCase{"crypt.zip", u"s3cret"}, TCase{"zip64.zip", u""}}) {
    SCOPED_TRACE(c.Name);
    const fs::path out = FDir / (std::string("out_") + c.Name);
    const auto failures = Extract(FDir / c.Name, out, c.Password);
    EXPECT_TRUE(failures.empty()) << failures.size() << " "
                                  << (failures.empty() ? "" : failures[0].Name);
    // With -fz, folder entries need version 1.0 in the directory but 4.5 in their
    // local headers: the test reports them as invalid local headers.
    for (const TFailure& f : FTestFailures) {
      EXPECT_TRUE(std::string(c.Name) == "zip64.zip" && f.Name.back() == '/' && f.Code == 22)
          << f.Name;
    }
    ExpectSameTree(out);
    EXPECT_EQ(FileMode(out / "run.sh"), StoredMode(0755));
    EXPECT_EQ(FileMode(out / "text.txt"), StoredMode(0644));
    EXPECT_EQ(FileMode(out / "ro.txt"), StoredMode(0444));
    EXPECT_EQ(ModifiedTime(out / "text.txt"),
              LocalDateTimeToUnix(EncodeDateTime(2021, 3, 4, 5, 6, 8)));
  }
}

TEST_F(TToolArchives, CommentOf1000BytesAndSymbolicLink) {
  // zip -y of the tree with "link" to text.txt, then a comment added by zipfile.
  TArZipArchive archive(U16(FDir / "comment-link.zip"), fmOpenRead);
  archive.Load();
  EXPECT_EQ(archive.Footer().ZipfileComment, std::u16string(1000, u'k'));
  const fs::path out = FDir / "out";
  EXPECT_TRUE(Extract(FDir / "comment-link.zip", out).empty());
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(out / "link")));
  EXPECT_EQ(ReadFile(out / "link"), (TBytes{'t', 'e', 'x', 't', '.', 't', 'x', 't'}));
}

TEST_F(TToolArchives, SevenZipDeflate64AndZipCrypto) {
  // 7z -mm=Deflate64, -mm=Deflate -mem=ZipCrypto -ppw, -mm=Deflate64 -mem=ZipCrypto -ppw.
  for (const std::string name : {"7z-deflate64.zip", "7z-crypt.zip", "7z-deflate64-crypt.zip"}) {
    SCOPED_TRACE(name);
    const fs::path out = FDir / ("out_" + name);
    EXPECT_TRUE(Extract(FDir / name, out, u"pw").empty());
    ExpectSameTree(out);
  }
}

TEST_F(TToolArchives, PythonUtf8NamesAndDataDescriptors) {
  // zipfile to a pipe: a Czech name in UTF-8 and a plain one.
  TArZipArchive archive(U16(FDir / "utf8-names.zip"), fmOpenRead);
  archive.Load();
  ASSERT_EQ(archive.Count(), 2);
  EXPECT_EQ(archive.Items(0).FileName, u"p\u0159\u00edli\u0161/\u017elu\u0165ou\u010dk\u00fd.txt");
  EXPECT_TRUE(archive.Items(0).ItemInfo.IsUTF8());
  EXPECT_TRUE(archive.Items(0).ItemInfo.HasDataDescriptor());
  TMemoryStream out;
  ArUnzipToStream(archive, archive.Items(0), &out);
  EXPECT_EQ(out.Size(), 12000);
}

// A destination that records the size of every write.
class TRecordingStream : public TMemoryStream {
 public:
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    Writes.push_back(count);
    return TMemoryStream::Write(buffer, count);
  }
  std::vector<std::int64_t> Writes;
};

TEST_F(TToolArchives, DeflatedItemWritesAndProgress) {
  EXPECT_EQ(ReadFile(FDir / "hundred.bin"), Pattern(100000, 9));
  TArZipArchive archive(U16(FDir / "hundred.zip"), fmOpenRead);
  archive.Load();
  std::vector<int> progress;
  archive.CurrentItem = &archive.Items(0);
  archive.OnArchiveItemProgress = [&](TArZipItem&, std::uint8_t p, bool&) {
    progress.push_back(p);
  };
  TRecordingStream out;
  ArUnzipToStream(archive, archive.Items(0), &out);
  EXPECT_EQ(out.Writes, (std::vector<std::int64_t>{32768, 32768, 34464}));
  EXPECT_EQ(progress, (std::vector<int>{32, 65, 100}));
}

TEST_F(TToolArchives, DeflateBombStopsAtItsDeclaredSize) {
  // 1 GiB of zeros deflated (the recipe's bomb.raw), declared as 1 KiB.
  TArchiveSpec spec;
  TEntry bomb;
  bomb.Name = "bomb.bin";
  bomb.Data = ReadFile(FDir / "bomb.raw");
  bomb.Method = 8;
  bomb.OverrideSize = true;
  bomb.UncompressedSize = 1024;
  bomb.OverrideCrc = true;
  bomb.Crc = ArCRC32Of(TBytes(1024, 0));
  spec.Entries = {bomb};
  WriteFile(FDir / "bomb.zip", BuildZip(spec));
  const fs::path out = FDir / "out";
  fs::create_directories(out);
  TArUnZipper unzipper;
  std::vector<int> codes;
  unzipper.OnProcessItemFailure = [&](TArUnZipper&, TArZipItem&, TArProcessType, TArErrorClass ec,
                                      int code) {
    EXPECT_EQ(ec, ecArchive);
    codes.push_back(code);
  };
  unzipper.SetFileName(U16(FDir / "bomb.zip"));
  unzipper.SetBaseDirectory(U16(out));
  unzipper.ExtractFiles(u"*.*");
  EXPECT_EQ(codes, std::vector<int>{EArZipSizeExceeded::Code_});
  EXPECT_FALSE(fs::exists(out / "bomb.bin"));
}

TEST_F(TToolArchives, AlteredDeflateDataIsACrcFailure) {
  // A deflate stream of one stored block: altering a data byte keeps it decodable.
  TBytes data = TBytes(5000, 'q');
  TBytes raw = {0x01, 0x88, 0x13, 0x77, 0xEC};  // final stored block of 5000 bytes
  raw.insert(raw.end(), data.begin(), data.end());
  raw[100] = 'Z';
  TArchiveSpec spec;
  TEntry e;
  e.Name = "altered.txt";
  e.Data = raw;
  e.Method = 8;
  e.OverrideSize = true;
  e.UncompressedSize = 5000;
  e.OverrideCrc = true;
  e.Crc = ArCRC32Of(data);
  spec.Entries = {e};
  WriteFile(FDir / "alt.zip", BuildZip(spec));
  TArZipArchive archive(U16(FDir / "alt.zip"), fmOpenRead);
  archive.Load();
  TMemoryStream out;
  EXPECT_THROW(ArUnzipToStream(archive, archive.Items(0), &out), EArZipBadCRC);
  std::vector<int> codes;
  archive.OnProcessItemFailure = [&](TArZipItem&, TArProcessType, TArErrorClass, int code) {
    codes.push_back(code);
  };
  out.Clear();
  ArUnzipToStream(archive, archive.Items(0), &out);
  EXPECT_EQ(out.Size(), 5000);
  EXPECT_EQ(codes, std::vector<int>{19});
}

}  // namespace
}  // namespace vornel
