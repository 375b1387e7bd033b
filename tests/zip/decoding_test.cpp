// Decoding items: stored copies, traditional decryption, bzip2, LZMA and WavPack,
// the output stream's checks, and the password loop.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "zip/ar_exceptions.h"
#include "zip/crc32.h"
#include "zip/item_decoding.h"
#include "zip/output_stream.h"
#include "zip/zip_archive.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

using namespace ziptest;

// A destination that records the size of every write.
class TRecordingStream : public TMemoryStream {
 public:
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    Writes.push_back(count);
    return TMemoryStream::Write(buffer, count);
  }
  std::vector<std::int64_t> Writes;
};

std::unique_ptr<TArZipArchive> OpenFile(const fs::path& path) {
  auto archive = std::make_unique<TArZipArchive>(U16(path), fmOpenRead | fmShareDenyNone);
  archive->Load();
  return archive;
}

std::unique_ptr<TArZipArchive> OpenBytes(const TBytes& bytes) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  auto archive = std::make_unique<TArZipArchive>(std::move(stream));
  archive->Load();
  return archive;
}

TBytes Extract(TArZipArchive& archive, int index) {
  TMemoryStream out;
  ArUnzipToStream(archive, archive.Items(index), &out);
  return out.Bytes();
}

TEST(Stored, CopiedInBlocksWithProgress) {
  TArchiveSpec spec;
  TEntry e;
  e.Name = "big.bin";
  e.Data = Pattern(100000);
  spec.Entries = {e};
  auto archive = OpenBytes(BuildZip(spec));
  std::vector<int> progress;
  archive->CurrentItem = &archive->Items(0);
  archive->OnArchiveItemProgress = [&](TArZipItem&, std::uint8_t p, bool&) {
    progress.push_back(p);
  };
  TRecordingStream out;
  ArUnzipToStream(*archive, archive->Items(0), &out);
  EXPECT_EQ(out.Writes, (std::vector<std::int64_t>{61440, 38560}));
  EXPECT_EQ(progress, (std::vector<int>{61, 100}));
  EXPECT_EQ(out.Bytes(), e.Data);
}

TEST(Stored, ShortDataIsAReadError) {
  TArchiveSpec spec;
  TEntry e;
  e.Name = "short.bin";
  e.Data = Pattern(100);
  e.OverrideSize = true;
  e.UncompressedSize = 200;
  e.OverrideCrc = true;
  spec.Entries = {e};
  auto archive = OpenBytes(BuildZip(spec));
  try {
    Extract(*archive, 0);
    ADD_FAILURE() << "no error";
  } catch (const EReadError& error) {
    EXPECT_EQ(error.Message(), u"Stream read error");
  }
}

TEST(Decoding, EmptyItemIgnoresMethodAndCrc) {
  TArchiveSpec spec;
  TEntry e;
  e.Name = "empty";
  e.Method = 77;
  e.OverrideCrc = true;
  e.Crc = 0x12345678;
  spec.Entries = {e};
  auto archive = OpenBytes(BuildZip(spec));
  EXPECT_TRUE(Extract(*archive, 0).empty());
}

TEST(Decoding, VersionsAndMethods) {
  struct TCase {
    std::uint16_t Version;
    std::uint16_t Method;
    int ExpectedCode;  // 0: extracts
  };
  for (const TCase& c :
       {TCase{20, 0, 0}, TCase{45, 0, 0}, TCase{63, 0, 0}, TCase{64, 0, 1}, TCase{0x0314, 0, 0},
        TCase{20, 7, 2}, TCase{20, 99, 2}, TCase{20, 96, 2}, TCase{20, 11, 2}}) {
    TArchiveSpec spec;
    TEntry e;
    e.Name = "x";
    e.Data = Pattern(10);
    e.VersionNeeded = c.Version;
    e.Method = c.Method;
    spec.Entries = {e};
    auto archive = OpenBytes(BuildZip(spec));
    if (c.ExpectedCode == 0) {
      EXPECT_EQ(Extract(*archive, 0), e.Data) << c.Version;
      continue;
    }
    try {
      Extract(*archive, 0);
      ADD_FAILURE() << "no error for version " << c.Version << " method " << c.Method;
    } catch (const EArException& error) {
      EXPECT_EQ(error.ErrorCode(), c.ExpectedCode) << c.Version << " " << c.Method;
      if (c.ExpectedCode == 2) {
        EXPECT_EQ(error.Message(), u"Cannot extract file - unsupported compression method");
      }
    }
  }
}

TEST(Decoding, WrongLocalHeaderSignature) {
  TArchiveSpec spec;
  TEntry e;
  e.Name = "x";
  e.Data = Pattern(10);
  spec.Entries = {e};
  TBytes bytes = BuildZip(spec);
  bytes[0] = 'Q';
  auto archive = OpenBytes(bytes);
  EXPECT_THROW(Extract(*archive, 0), EArZipInvalid);
}

TEST(Decoding, CrcMismatchGoesToTheFailureEventOrRaises) {
  TArchiveSpec spec;
  TEntry e;
  e.Name = "x";
  e.Data = Pattern(1000);
  e.OverrideCrc = true;
  e.Crc = 1;
  spec.Entries = {e};
  auto archive = OpenBytes(BuildZip(spec));
  EXPECT_THROW(Extract(*archive, 0), EArZipBadCRC);
  std::vector<int> codes;
  archive->OnProcessItemFailure = [&](TArZipItem&, TArProcessType pt, TArErrorClass ec, int code) {
    EXPECT_EQ(pt, ptExtract);
    EXPECT_EQ(ec, ecArchive);
    codes.push_back(code);
  };
  EXPECT_EQ(Extract(*archive, 0), e.Data);  // written completely
  EXPECT_EQ(codes, std::vector<int>{19});
}

TEST(OutputStream, RefusesMoreThanTheDeclaredSize) {
  TMemoryStream dest;
  TArUnzipOutputStream out(dest, 10, nullptr);
  const TBytes data = Pattern(8);
  out.WriteBuffer(data.data(), 8);
  EXPECT_THROW(out.WriteBuffer(data.data(), 3), EArZipSizeExceeded);
  EXPECT_EQ(dest.Size(), 8);  // nothing of the refused write arrived
  out.WriteBuffer(data.data(), 2);
  EXPECT_EQ(out.BytesWritten(), 10);
  std::uint8_t byte = 0;
  EXPECT_THROW(out.Read(&byte, 1), EArException);
}

TEST(OutputStream, ProgressOnlyOnChangeAndAbort) {
  TMemoryStream dest;
  std::vector<int> seen;
  TArUnzipOutputStream out(dest, 1000, [&](std::uint8_t p, bool& abort) {
    seen.push_back(p);
    abort = p >= 50;
  });
  const TBytes data = Pattern(1000);
  out.WriteBuffer(data.data(), 5);    // 0 %: not reported
  out.WriteBuffer(data.data(), 300);  // 30 %
  out.WriteBuffer(data.data(), 1);    // still 30 %
  EXPECT_THROW(out.WriteBuffer(data.data(), 300), EArUserAbort);
  EXPECT_EQ(seen, (std::vector<int>{30, 60}));
}

// Encrypted archives made by Info-ZIP zip and 7z (stored, so no inflater is
// involved), opened with the right, a wrong and no password.
class TEncrypted : public ::testing::Test {
 protected:
  // The tools salt each archive anew, so one wrong password in 256 passes the
  // header's one-byte check and fails only at the CRC: of the recipe's attempts,
  // the first of each tool that refuses every wrong password below is taken.
  void SetUp() override {
    MakeArchives("encrypted", FDir.Path());
    for (const char* tool : {"infozip", "sevenzip"}) {
      for (int attempt = 0;; ++attempt) {
        const fs::path archive = FDir / (tool + ("-" + std::to_string(attempt)) + ".zip");
        ASSERT_TRUE(fs::exists(archive))
            << "no " << tool << " archive refused every wrong password";
        if (WrongPasswordsRefused(archive)) {
          FArchives.push_back(archive);
          break;
        }
      }
    }
  }

  bool WrongPasswordsRefused(const fs::path& path) {
    for (const char16_t* password : {u"wrong", u"bad1", u"still wrong"}) {
      auto archive = OpenFile(path);
      archive->Password = password;
      archive->PasswordRetries = 0;
      try {
        Extract(*archive, 0);
        return false;
      } catch (const EArZipInvalidPassword&) {
      } catch (...) {
        return false;
      }
    }
    return true;
  }
  TTempDir FDir;
  std::vector<fs::path> FArchives;
};

TEST_F(TEncrypted, PasswordCases) {
  const TBytes original = ReadFile(FDir / "secret.txt");
  EXPECT_EQ(original, Pattern(5000, 7));
  for (const fs::path& path : FArchives) {
    const std::string name = path.filename().string();
    auto archive = OpenFile(path);
    ASSERT_TRUE(archive->Items(0).IsEncrypted) << name;

    archive->Password = u"right";
    EXPECT_EQ(Extract(*archive, 0), original) << name;

    // No password, no callback: fails without asking.
    archive->Password.clear();
    EXPECT_THROW(Extract(*archive, 0), EArZipInvalidPassword) << name;

    // A wrong password without a callback is tried PasswordRetries + 1 times.
    archive->Password = u"wrong";
    EXPECT_THROW(Extract(*archive, 0), EArZipInvalidPassword) << name;

    // The callback is asked until it gives the right one.
    std::vector<std::u16string> answers = {u"bad1", u"right"};
    int asked = 0;
    archive->Password = u"wrong";
    archive->OnNeedPassword = [&](std::u16string& pw) {
      pw = answers[static_cast<std::size_t>(asked++)];
    };
    EXPECT_EQ(Extract(*archive, 0), original) << name;
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(archive->Password, u"right");

    // An empty answer aborts.
    archive->Password = u"wrong";
    archive->OnNeedPassword = [](std::u16string& pw) { pw.clear(); };
    EXPECT_THROW(Extract(*archive, 0), EArUserAbort) << name;

    // Wrong answers every time: retries run out.
    archive->Password = u"wrong";
    asked = 0;
    archive->OnNeedPassword = [&](std::u16string& pw) {
      ++asked;
      pw = u"still wrong";
    };
    EXPECT_THROW(Extract(*archive, 0), EArZipInvalidPassword) << name;
    EXPECT_EQ(asked, 3);
    archive->OnNeedPassword = nullptr;
  }
}

// Items of the other methods, written by Python's zipfile and by 7z.
TEST(Methods, Bzip2AndLzmaFromPythonAnd7z) {
  TTempDir dir;
  MakeArchives("bzip2-lzma", dir.Path());
  const TBytes data = ReadFile(dir / "data.bin");
  EXPECT_EQ(data, Pattern(300000, 3));
  for (const char* name : {"py_bz2.zip", "py_lzma.zip", "7z_bz2.zip", "7z_lzma.zip"}) {
    auto archive = OpenFile(dir / name);
    const int index = archive->FindFile(u"data.bin");
    ASSERT_GE(index, 0) << name;
    EXPECT_EQ(Extract(*archive, index), data) << name;
    ArTestZipItem(*archive, archive->Items(index));
  }
}

TEST(Methods, DamagedBzip2AndLzmaFail) {
  TTempDir dir;
  MakeArchives("damaged-bzip2-lzma", dir.Path());
  for (const char* name : {"b.zip", "l.zip"}) {
    auto archive = OpenFile(dir / name);
    archive->OnProcessItemFailure = [](TArZipItem&, TArProcessType, TArErrorClass, int) {};
    // Either the decoder notices or the CRC check does; it never passes as good.
    bool failed = false;
    try {
      TMemoryStream out;
      bool crcReported = false;
      archive->OnProcessItemFailure = [&](TArZipItem&, TArProcessType, TArErrorClass, int code) {
        crcReported = code == 19;
      };
      ArUnzipToStream(*archive, archive->Items(0), &out);
      failed = crcReported;
    } catch (const Exception&) {
      failed = true;
    }
    EXPECT_TRUE(failed) << name;
  }
}

// The dictionary size of an LZMA item is the item's own claim: a 4 GiB claim on a
// small item decodes with a dictionary of the item's size, and an item that
// really needs more than the limit fails with a message saying so.
TEST(Methods, LzmaDictionaryIsBounded) {
  TTempDir dir;
  // The recipe's patch(name, dictionary, size): the item's properties claim that
  // dictionary, and with a size the directory claims that uncompressed size.
  MakeArchives("lzma-dictionary", dir.Path());
  const TBytes data = ReadFile(dir / "data.bin");
  EXPECT_EQ(data, Pattern(300000, 5));
  EXPECT_EQ(Extract(*OpenFile(dir / "claims4g.zip"), 0), data);
  // A claim below what the data refers back to is damage, found by the decoder.
  EXPECT_THROW(Extract(*OpenFile(dir / "tiny.zip"), 0), EArDecoderError);
  auto archive = OpenFile(dir / "needs1g.zip");
  try {
    Extract(*archive, 0);
    ADD_FAILURE() << "decoded";
  } catch (const EArDecoderError& e) {
    EXPECT_EQ(e.Message(),
              u"LZMA dictionary of 629145600 bytes is larger than the limit of 536870912 bytes");
  }
}

// A WavPack file wrapped into a method-97 item, as WinZip stores .wav files.
TEST(Methods, WavPack) {
  TTempDir dir;
  MakeArchives("wavpack", dir.Path());
  const TBytes wav = ReadFile(dir / "tone.wav");
  TArchiveSpec spec;
  TEntry e;
  e.Name = "tone.wav";
  e.Data = ReadFile(dir / "tone.wv");
  e.Method = 97;
  e.OverrideCrc = true;
  e.Crc = ArCRC32Of(wav);
  e.OverrideSize = true;
  e.UncompressedSize = static_cast<std::uint32_t>(wav.size());
  spec.Entries = {e};
  TEntry damaged = e;
  damaged.Name = "damaged.wav";
  damaged.Data.resize(damaged.Data.size() / 2);
  spec.Entries.push_back(damaged);
  auto archive = OpenBytes(BuildZip(spec));
  EXPECT_EQ(Extract(*archive, 0), wav);
  bool failed = false;
  try {
    archive->OnProcessItemFailure = [&](TArZipItem&, TArProcessType, TArErrorClass, int) {
      failed = true;
    };
    Extract(*archive, 1);
  } catch (const Exception&) {
    failed = true;
  }
  EXPECT_TRUE(failed);
}

TEST(Testing, LocalHeaderComparison) {
  TArchiveSpec spec;
  TEntry e;
  e.Name = "x.txt";
  e.Data = Pattern(100);
  spec.Entries = {e};
  const TBytes good = BuildZip(spec);
  auto archive = OpenBytes(good);
  ArTestZipItem(*archive, archive->Items(0));

  // Each field of the local header that must agree with the directory.
  for (std::size_t offset : {std::size_t{4}, std::size_t{6}, std::size_t{10}, std::size_t{12},
                             std::size_t{14}, std::size_t{18}, std::size_t{22}, std::size_t{31}}) {
    TBytes bad = good;
    bad[offset] ^= 0x01;
    auto damaged = OpenBytes(bad);
    EXPECT_THROW(ArTestZipItem(*damaged, damaged->Items(0)), EArZipInvalidLFH) << offset;
  }
}

// Archives written to a pipe carry their CRC and sizes in data descriptors after
// the data (bit 3), the local header holding zeros: testing compares the
// descriptor with the directory, and a descriptor that disagrees still fails.
TEST(Testing, DataDescriptorItems) {
  TTempDir dir;
  MakeArchives("data-descriptors", dir.Path());
  TBytes expected;
  for (int i = 0; i < 500; ++i)
    expected.insert(expected.end(), {'d', 'e', 's', 'c', 'r', 'i', 'p', 't', 'o', 'r', ' '});
  // Each folder of the recipe holds dd.zip with d.txt.
  for (const char* writer :
       {"zipfile-stored", "zipfile-deflated", "zipfile-bzip2", "infozip-pipe"}) {
    SCOPED_TRACE(writer);
    const TBytes good = ReadFile(dir / writer / "dd.zip");
    ASSERT_FALSE(good.empty());
    auto archive = OpenBytes(good);
    ASSERT_TRUE(archive->Items(0).ItemInfo.HasDataDescriptor());
    EXPECT_EQ(Extract(*archive, 0), expected);
    EXPECT_NO_THROW(ArTestZipItem(*archive, archive->Items(0)));

    // The descriptor's CRC lies right after the data, behind an optional signature.
    const TArZipItem& item = archive->Items(0);
    const std::size_t dataStart = static_cast<std::size_t>(item.RelativeOffset) + 30 +
                                  good[static_cast<std::size_t>(item.RelativeOffset) + 26] +
                                  good[static_cast<std::size_t>(item.RelativeOffset) + 28];
    std::size_t crcAt = dataStart + static_cast<std::size_t>(item.CompressedSize);
    if (good[crcAt] == 0x50 && good[crcAt + 1] == 0x4B && good[crcAt + 2] == 7)
      crcAt += 4;
    TBytes bad = good;
    bad[crcAt] ^= 0x01;
    auto damaged = OpenBytes(bad);
    EXPECT_THROW(ArTestZipItem(*damaged, damaged->Items(0)), EArZipInvalidLFH);
  }
}

}  // namespace
}  // namespace vornel
