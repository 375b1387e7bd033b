#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "platform/text.h"
#include "support/temp_dir.h"
#include "system_texts.h"

namespace vornel {
namespace {

using testing::TTempDir;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The same contract for both streams of the family.
class StreamContractTest : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<TStream> Make() {
    if (GetParam())
      return std::make_unique<TFileStream>(FDir.Join("s.bin"), fmCreate);
    return std::make_unique<TMemoryStream>();
  }
  TTempDir FDir;
};

TEST_P(StreamContractTest, WritesReadsAndSeeks) {
  auto s = Make();
  EXPECT_EQ(s->Size(), 0);
  s->WriteBuffer("hello world", 11);
  EXPECT_EQ(s->Position(), 11);
  EXPECT_EQ(s->Size(), 11);
  EXPECT_EQ(s->Seek(-5, soEnd), 6);
  char buf[16] = {};
  EXPECT_EQ(s->Read(buf, 16), 5);  // a read at the end gives what is left
  EXPECT_EQ(std::string(buf, 5), "world");
  EXPECT_EQ(s->Read(buf, 16), 0);
  EXPECT_THROW(s->ReadBuffer(buf, 1), EReadError);
  s->SetPosition(0);
  EXPECT_EQ(s->Seek(3, soCurrent), 3);
}

TEST_P(StreamContractTest, SetSizeGrowsWithZerosAndCutsMovingAPositionBeyondTheEnd) {
  auto s = Make();
  s->WriteBuffer("abcdef", 6);
  s->SetPosition(2);
  s->SetSize(10);
  EXPECT_EQ(s->Size(), 10);
  EXPECT_EQ(s->Position(), 2);  // growing keeps the position
  s->SetPosition(6);
  char tail[4] = {1, 1, 1, 1};
  s->ReadBuffer(tail, 4);
  EXPECT_EQ(std::string(tail, 4), std::string(4, '\0'));
  s->SetSize(3);  // position 10 lies beyond the new end
  EXPECT_EQ(s->Size(), 3);
  EXPECT_EQ(s->Position(), 3);
  s->SetPosition(0);
  char head[3] = {};
  s->ReadBuffer(head, 3);
  EXPECT_EQ(std::string(head, 3), "abc");
}

TEST_P(StreamContractTest, CopyFromZeroCopiesTheWholeSource) {
  TMemoryStream source;
  std::string data(200000, 'x');
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<char>(i * 7);
  source.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  auto s = Make();
  EXPECT_EQ(s->CopyFrom(source, 0), 200000);
  s->SetPosition(0);
  std::string back(data.size(), '\0');
  s->ReadBuffer(back.data(), static_cast<std::int64_t>(back.size()));
  EXPECT_EQ(back, data);
}

INSTANTIATE_TEST_SUITE_P(FileAndMemory, StreamContractTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "File" : "Memory"; });

TEST(FileStreamTest, CreateReplacesAnExistingFile) {
  TTempDir dir;
  { std::ofstream(dir.Path() / "a.txt") << "old content that is long"; }
  {
    TFileStream s(dir.Join("a.txt"), fmCreate | fmShareExclusive);
    s.WriteBuffer("new", 3);
  }
  EXPECT_EQ(ReadFile(dir.Path() / "a.txt"), "new");
}

TEST(FileStreamTest, OpenModes) {
  TTempDir dir;
  { std::ofstream(dir.Path() / "a.txt") << "0123456789"; }
  {
    TFileStream read(dir.Join("a.txt"), fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(read.Size(), 10);
    EXPECT_THROW(read.WriteBuffer("x", 1), EWriteError);
  }
  {
    TFileStream write(dir.Join("a.txt"), fmOpenReadWrite);
    write.SetPosition(8);
    write.WriteBuffer("AB", 2);
  }
  EXPECT_EQ(ReadFile(dir.Path() / "a.txt"), "01234567AB");
}

TEST(FileStreamTest, FailuresCarryThePathAndThePlatformsText) {
  TTempDir dir;
  try {
    TFileStream s(dir.Join("missing/a.txt"), fmCreate);
    FAIL() << "created a file in a missing folder";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), u"Cannot create file \"" + dir.Join("missing/a.txt") + u"\". " +
                               testing::MissingFolderText());
  }
  try {
    TFileStream s(dir.Join("none.txt"), fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(),
              u"Cannot open file \"" + dir.Join("none.txt") + u"\". " + testing::MissingFileText());
  }
  EXPECT_THROW(TFileStream(FromUtf8(dir.Path().string()), fmOpenRead), EFOpenError);
}

TEST(FileStreamTest, ARegularFileIsSeekableAndSized) {
  TTempDir dir;
  TFileStream s(dir.Join("a.bin"), fmCreate);
  EXPECT_FALSE(s.Sequential());
  s.SetSize(4096);
  EXPECT_EQ(s.Size(), 4096);
}

}  // namespace
}  // namespace vornel
