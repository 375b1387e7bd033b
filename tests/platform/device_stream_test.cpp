// Files that are no regular files (a character device, a FIFO) are written as
// streams; Linux only, since Windows has neither under a path.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/file_stream.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

using testing::TTempDir;

// A character device takes data as a stream: pre-sizing, as the download does
// before the body, is only a hint there, and the position is what went through.
TEST(FileStreamTest, DevNullIsWrittenAsAStream) {
  TFileStream s(u"/dev/null", fmCreate);
  EXPECT_TRUE(s.Sequential());
  s.SetSize(1 << 20);  // the announced length
  EXPECT_EQ(s.Position(), 0);
  const std::string data(3000, 'x');
  s.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  EXPECT_EQ(s.Position(), 3000);
  EXPECT_EQ(s.Size(), 3000);
  s.SetPosition(3000);      // where it is: no move
  s.SetSize(s.Position());  // cut to what came: nothing to do
  EXPECT_THROW(s.SetPosition(0), EStreamError);
}

TEST(FileStreamTest, AFifoIsWrittenAsAStream) {
  TTempDir dir;
  const std::string fifo = (dir.Path() / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // The reading end first, without waiting for a writer; what is written below
  // fits the pipe's buffer, so it is read after the writer has closed.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  std::string data;
  for (int i = 0; i < 20000; ++i)
    data += static_cast<char>('a' + i % 26);
  {
    TFileStream s(FromUtf8(fifo), fmCreate);
    EXPECT_TRUE(s.Sequential());
    const std::int64_t size = static_cast<std::int64_t>(data.size());
    s.SetSize(size);  // the announced length
    s.WriteBuffer(data.data(), size);
    EXPECT_EQ(s.Position(), size);
    s.SetSize(s.Position());
  }
  std::string received;
  char block[4096];
  for (ssize_t n; (n = ::read(reader, block, sizeof block)) > 0;)
    received.append(block, static_cast<std::size_t>(n));
  ::close(reader);
  EXPECT_EQ(received, data);
}

}  // namespace
}  // namespace vornel
