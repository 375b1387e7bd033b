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
  void SetUp() override {
    WriteFile(FDir / "secret.txt", Pattern(5000, 7));
    // The encryption header checks one byte, so one wrong password in 256 passes it
    // and fails later, at the CRC. The tools salt each archive anew: make them
    // again until none of the wrong passwords below gets through the header.
    for (int attempt = 0; attempt < 50; ++attempt) {
      RunShell("rm -f infozip.zip sevenzip.zip", FDir.Path());
      ASSERT_EQ(RunShell("zip -q -0 -P right infozip.zip secret.txt", FDir.Path()), 0);
      ASSERT_EQ(
          RunShell("7z a -tzip -mm=Copy -mem=ZipCrypto -pright sevenzip.zip secret.txt >/dev/null",
                   FDir.Path()),
          0);
      if (WrongPasswordsRefused("infozip.zip") && WrongPasswordsRefused("sevenzip.zip"))
        return;
    }
    FAIL() << "no archive refused every wrong password";
  }

  bool WrongPasswordsRefused(const char* name) {
    for (const char16_t* password : {u"wrong", u"bad1", u"still wrong"}) {
      auto archive = OpenFile(FDir / name);
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
};

TEST_F(TEncrypted, PasswordCases) {
  const TBytes original = ReadFile(FDir / "secret.txt");
  for (const char* name : {"infozip.zip", "sevenzip.zip"}) {
    auto archive = OpenFile(FDir / name);
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
  const TBytes data = Pattern(300000, 3);
  WriteFile(dir / "data.bin", data);
  ASSERT_EQ(
      RunShell(
          "python3 -c \"import zipfile\n"
          "for n, m in (('py_bz2.zip', zipfile.ZIP_BZIP2), ('py_lzma.zip', zipfile.ZIP_LZMA)):\n"
          "  z = zipfile.ZipFile(n, 'w', m); z.write('data.bin'); z.writestr('empty', b''); "
          "z.close()\"",
          dir.Path()),
      0);
  ASSERT_EQ(RunShell("7z a -tzip -mm=BZip2 7z_bz2.zip data.bin >/dev/null && "
                     "7z a -tzip -mm=LZMA 7z_lzma.zip data.bin >/dev/null",
                     dir.Path()),
            0);
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
  WriteFile(dir / "data.bin", Pattern(50000, 4));
  ASSERT_EQ(RunShell("python3 -c \"import zipfile\n"
                     "for n, m in (('b.zip', zipfile.ZIP_BZIP2), ('l.zip', zipfile.ZIP_LZMA)):\n"
                     "  z = zipfile.ZipFile(n, 'w', m); z.write('data.bin'); z.close()\n"
                     "  b = bytearray(open(n, 'rb').read()); b[80] ^= 0x55; b[120] ^= 0x55; "
                     "open(n, 'wb').write(b)\"",
                     dir.Path()),
            0);
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
  const TBytes data = Pattern(300000, 5);
  WriteFile(dir / "data.bin", data);
  // patch(name, dictionary, size): the item's properties claim that dictionary,
  // and with a size the directory claims that uncompressed size.
  ASSERT_EQ(
      RunShell("python3 -c \"import zipfile, struct\n"
               "def patch(n, dictionary, size=None):\n"
               "  z = zipfile.ZipFile(n, 'w', zipfile.ZIP_LZMA); z.write('data.bin'); "
               "z.close()\n"
               "  b = bytearray(open(n, 'rb').read())\n"
               "  at = 30 + struct.unpack_from('<H', b, 26)[0] + "
               "struct.unpack_from('<H', b, 28)[0] + 4\n"
               "  struct.pack_into('<I', b, at + 1, dictionary)\n"
               "  if size is not None:\n"
               "    c = b.find(b'PK\\\\x01\\\\x02'); struct.pack_into('<I', b, c + 24, size)\n"
               "  open(n, 'wb').write(b)\n"
               "patch('claims4g.zip', 0xFFFFFFFF)\n"
               "patch('tiny.zip', 16)\n"
               "patch('needs1g.zip', 1 << 30, 600 << 20)\"",
               dir.Path()),
      0);
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
  ASSERT_EQ(RunShell("python3 -c \"import wave, math, struct\n"
                     "w = wave.open('tone.wav', 'wb'); w.setnchannels(2); w.setsampwidth(2); "
                     "w.setframerate(22050)\n"
                     "w.writeframes(b''.join(struct.pack('<hh', int(9000*math.sin(i/7.0)), "
                     "int(5000*math.sin(i/3.0))) for i in range(40000)))\n"
                     "w.close()\" && wavpack -q -y tone.wav -o tone.wv",
                     dir.Path()),
            0);
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
  struct TCase {
    const char* Name;
    std::string Command;  // writes dd.zip holding d.txt
  };
  const std::string python =
      "python3 -c \"import zipfile, sys\n"
      "z = zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.";
  const std::string pythonEnd =
      ")\nz.writestr('d.txt', b'descriptor ' * 500); z.close()\" | cat > dd.zip";
  const std::vector<TCase> cases = {
      {"zipfile stored", python + "ZIP_STORED" + pythonEnd},
      {"zipfile deflated", python + "ZIP_DEFLATED" + pythonEnd},
      {"zipfile bzip2", python + "ZIP_BZIP2" + pythonEnd},
      {"Info-ZIP zip to a pipe",
       "python3 -c \"print('descriptor ' * 500, end='')\" > d.txt && zip -q - d.txt | cat > "
       "dd.zip"},
  };
  TBytes expected;
  for (int i = 0; i < 500; ++i)
    expected.insert(expected.end(), {'d', 'e', 's', 'c', 'r', 'i', 'p', 't', 'o', 'r', ' '});
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir dir;
    ASSERT_EQ(RunShell(c.Command, dir.Path()), 0);
    const TBytes good = ReadFile(dir / "dd.zip");
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
