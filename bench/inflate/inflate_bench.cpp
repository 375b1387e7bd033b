// Decompression throughput of the inflater against zlib's inflate and libdeflate's
// whole-buffer decoder, and the CRC-32 against zlib's and libdeflate's, on real
// files of this machine: the shared libraries under /usr/lib/x86_64-linux-gnu and
// the texts under /usr/share/doc, one raw deflate stream per file as in a zip
// archive, at zlib's levels 6 and 9. Deflate64 is measured on streams that 7-Zip
// makes of the same files, against 7-Zip's deflate streams of them.
//
// Every figure is the best of seven rounds in thread CPU time, the contenders
// taking turns within each round, so that the ratios hold on a loaded machine. The
// inflater's figure always includes its CRC-32; the peers' "+crc" columns add
// their own CRC-32 of the output.
//
// Usage: inflate_bench [megabytes per corpus part, default 24]
#include <zlib.h>
#ifdef VORNEL_BENCH_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <sys/wait.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/memory_stream.h"
#include "zip/inflate/checksum.h"
#include "zip/inflate/inflate.h"

namespace {

namespace fs = std::filesystem;
using vornel::TMemoryStream;
using vornel::TStream;
using Bytes = std::vector<std::uint8_t>;

struct Item {
  Bytes original;
  Bytes compressed;
};

// A source over bytes held elsewhere, so that no copy of the input is timed.
class ViewStream : public TStream {
 public:
  explicit ViewStream(const Bytes& bytes) : FBytes(bytes) {}
  std::int64_t Read(void* buffer, std::int64_t count) override {
    const std::int64_t left = static_cast<std::int64_t>(FBytes.size()) - FPosition;
    const std::int64_t n = std::min(count, left);
    std::memcpy(buffer, FBytes.data() + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
  }
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, vornel::TSeekOrigin origin) override {
    const std::int64_t base = origin == vornel::soBeginning ? 0
                              : origin == vornel::soCurrent
                                  ? FPosition
                                  : static_cast<std::int64_t>(FBytes.size());
    FPosition = base + offset;
    return FPosition;
  }
  void SetSize(std::int64_t) override {}

 private:
  const Bytes& FBytes;
  std::int64_t FPosition = 0;
};

// A destination that copies into memory reserved beforehand, as zlib's output
// buffer is.
class BufferStream : public TStream {
 public:
  explicit BufferStream(std::uint8_t* buffer) : FBuffer(buffer) {}
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    std::memcpy(FBuffer + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition += count;
    return count;
  }
  std::int64_t Seek(std::int64_t, vornel::TSeekOrigin) override { return FPosition; }
  void SetSize(std::int64_t) override {}

 private:
  std::uint8_t* FBuffer;
  std::int64_t FPosition = 0;
};

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Regular files below root, name order, until limit bytes; each at most 4 MiB.
std::vector<fs::path> CollectFiles(const fs::path& root, std::size_t limit,
                                   const std::function<bool(const fs::path&)>& wanted) {
  std::vector<fs::path> all;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec),
       end;
       it != end; it.increment(ec)) {
    if (ec)
      break;
    if (!it->is_regular_file(ec) || it->is_symlink(ec))
      continue;
    const auto size = it->file_size(ec);
    if (ec || size == 0 || size > (4u << 20) || !wanted(it->path()))
      continue;
    all.push_back(it->path());
  }
  std::sort(all.begin(), all.end());
  std::vector<fs::path> chosen;
  std::size_t total = 0;
  for (const auto& path : all) {
    if (total >= limit)
      break;
    chosen.push_back(path);
    total += fs::file_size(path, ec);
  }
  return chosen;
}

Bytes RawDeflate(const Bytes& data, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, data.size()));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// The processor time of this thread: on a shared machine it leaves out the time
// other processes take, which wall time would count.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Each run once a round, in turn, for rounds rounds; the best time of each. Taking
// turns spreads a change in the machine's load over all of them alike.
std::vector<double> BestInTurns(const std::vector<std::function<void()>>& runs, int rounds) {
  std::vector<double> best(runs.size(), 1e9);
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const double start = ThreadSeconds();
      runs[i]();
      best[i] = std::min(best[i], ThreadSeconds() - start);
    }
  }
  return best;
}

constexpr int kRounds = 7;

std::size_t Total(const std::vector<Item>& items) {
  std::size_t total = 0;
  for (const auto& item : items)
    total += item.original.size();
  return total;
}

double MBps(const std::vector<Item>& items, double seconds) {
  return static_cast<double>(Total(items)) / seconds / 1e6;
}

vornel::TArDeflateHelper Settings(bool deflate64) {
  vornel::TArDeflateHelper settings;
  settings.SetOptions(vornel::dfc_Default | (deflate64 ? vornel::dfc_UseDeflate64 : 0));
  return settings;
}

// Every stream through our inflater.
std::function<void()> Ours(const std::vector<Item>& items, bool deflate64, Bytes& out) {
  return [&items, deflate64, &out] {
    vornel::TArDeflateHelper settings = Settings(deflate64);
    for (const auto& item : items) {
      ViewStream source(item.compressed);
      BufferStream dest(out.data());
      vornel::Inflate(source, dest, &settings);
    }
  };
}

// Our output and CRC-32 against the originals, outside the timing.
void VerifyOurs(const std::vector<Item>& items, bool deflate64, Bytes& out) {
  vornel::TArDeflateHelper settings = Settings(deflate64);
  for (const auto& item : items) {
    ViewStream source(item.compressed);
    BufferStream dest(out.data());
    const std::uint32_t crc = vornel::Inflate(source, dest, &settings);
    if (std::memcmp(out.data(), item.original.data(), item.original.size()) != 0 ||
        crc != crc32(0, item.original.data(), static_cast<uInt>(item.original.size()))) {
      std::fprintf(stderr, "inflater output differs\n");
      std::exit(1);
    }
  }
}

std::function<void()> Zlib(const std::vector<Item>& items, Bytes& out, bool withCrc) {
  return [&items, &out, withCrc] {
    for (const auto& item : items) {
      z_stream z{};
      inflateInit2(&z, -15);
      z.next_in = const_cast<Bytef*>(item.compressed.data());
      z.avail_in = static_cast<uInt>(item.compressed.size());
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      if (inflate(&z, Z_FINISH) != Z_STREAM_END)
        std::abort();
      if (withCrc)
        crc32(0, out.data(), static_cast<uInt>(z.total_out));
      inflateEnd(&z);
    }
  };
}

#ifdef VORNEL_BENCH_LIBDEFLATE
// libdeflate's whole-buffer decoder and its CRC-32 of the output.
std::function<void()> Libdeflate(const std::vector<Item>& items, Bytes& out) {
  return [&items, &out] {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    for (const auto& item : items) {
      std::size_t produced = 0;
      if (libdeflate_deflate_decompress(d, item.compressed.data(), item.compressed.size(),
                                        out.data(), out.size(), &produced) != 0) {
        std::abort();
      }
      if (libdeflate_crc32(0, out.data(), produced) == 0x5EED5EED)
        std::printf(" ");
    }
    libdeflate_free_decompressor(d);
  };
}
constexpr bool kHaveLibdeflate = true;
#else
std::function<void()> Libdeflate(const std::vector<Item>&, Bytes&) {
  return [] {};
}
constexpr bool kHaveLibdeflate = false;
#endif

// The deflate or deflate64 streams of a zip that 7-Zip makes of the files; the
// originals are left to be filled in.
std::vector<Item> SevenZipStreams(const std::vector<fs::path>& files, const char* method) {
  const fs::path folder = fs::temp_directory_path() / ("inflate-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  {
    std::ofstream list(folder / "list.txt");
    for (const auto& f : files)
      list << f.string() << "\n";
  }
  const std::string command = "7z a -tzip -spf2 -mm=" + std::string(method) + " -mx=9 '" +
                              (folder / "set.zip").string() + "' @'" +
                              (folder / "list.txt").string() + "' >/dev/null 2>&1";
  std::vector<Item> items;
  // 7-Zip ends with 1 for warnings (a file it could not read is left out).
  const int status = std::system(command.c_str());
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
    fs::remove_all(folder);
    return items;
  }
  const Bytes zip = ReadFile(folder / "set.zip");
  fs::remove_all(folder);
  auto le16 = [&](std::size_t at) -> std::size_t { return zip[at] | (zip[at + 1] << 8); };
  auto le32 = [&](std::size_t at) -> std::size_t { return le16(at) | (le16(at + 2) << 16); };
  std::size_t end = zip.size() - 22;
  while (le32(end) != 0x06054B50)
    --end;
  std::size_t at = le32(end + 16);
  for (std::size_t i = 0, count = le16(end + 10); i < count; ++i) {
    const std::size_t method = le16(at + 10), compressed = le32(at + 20);
    const std::size_t normal = le32(at + 24), local = le32(at + 42);
    const std::size_t data = local + 30 + le16(local + 26) + le16(local + 28);
    if (method == 8 || method == 9) {
      Item item;
      item.compressed.assign(zip.begin() + static_cast<std::ptrdiff_t>(data),
                             zip.begin() + static_cast<std::ptrdiff_t>(data + compressed));
      item.original.resize(normal);
      items.push_back(std::move(item));
    }
    at += 46 + le16(at + 28) + le16(at + 30) + le16(at + 32);
  }
  return items;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 24;
  const std::size_t limit = megabytes << 20;
  struct Part {
    const char* name;
    std::vector<fs::path> files;
  };
  std::vector<Part> parts = {
      {"binaries",
       CollectFiles("/usr/lib/x86_64-linux-gnu", limit,
                    [](const fs::path& p) { return p.string().find(".so") != std::string::npos; })},
      {"texts", CollectFiles("/usr/share/doc", limit, [](const fs::path& p) {
         const auto ext = p.extension().string();
         return ext != ".gz" && ext != ".bz2" && ext != ".xz" && ext != ".png" && ext != ".jpg";
       })}};

  std::printf("%-10s %5s %6s %7s %10s %10s %10s %14s %10s %9s\n", "part", "level", "files", "MB",
              "ours MB/s", "zlib MB/s", "zlib+crc", "libdeflate+crc", "ours/zlib", "ours/ldf");
  for (const auto& part : parts) {
    std::vector<Item> base;
    std::size_t largest = 0;
    for (const auto& path : part.files) {
      Item item;
      item.original = ReadFile(path);
      largest = std::max(largest, item.original.size());
      base.push_back(std::move(item));
    }
    Bytes out(largest + 65536);
    for (int level : {6, 9}) {
      std::vector<Item> items = base;
      for (auto& item : items)
        item.compressed = RawDeflate(item.original, level);
      VerifyOurs(items, false, out);
      const std::vector<double> best =
          BestInTurns({Ours(items, false, out), Zlib(items, out, false), Zlib(items, out, true),
                       Libdeflate(items, out)},
                      kRounds);
      const double ours = MBps(items, best[0]);
      const double zlib = MBps(items, best[1]);
      const double zlibCrc = MBps(items, best[2]);
      const double ldf = kHaveLibdeflate ? MBps(items, best[3]) : 0;
      std::printf("%-10s %5d %6zu %7.1f %10.1f %10.1f %10.1f %14.1f %10.2f %9.2f\n", part.name,
                  level, items.size(), static_cast<double>(Total(items)) / 1e6, ours, zlib, zlibCrc,
                  ldf, ours / zlibCrc, ldf > 0 ? ours / ldf : 0.0);
    }
  }

  // Deflate64 against deflate, both from 7-Zip, on the same files.
  std::printf("\n7-Zip streams (-mx=9):\n%-10s %14s %14s %7s %15s %17s\n", "part", "deflate MB/s",
              "deflate64 MB/s", "ratio", "zlib on deflate", "libdeflate+crc");
  for (const auto& part : parts) {
    auto deflate = SevenZipStreams(part.files, "Deflate");
    auto deflate64 = SevenZipStreams(part.files, "Deflate64");
    if (deflate.empty() || deflate64.empty()) {
      std::printf("%-10s (7z not available)\n", part.name);
      continue;
    }
    std::size_t largest = 0;
    for (auto* set : {&deflate, &deflate64}) {
      for (auto& item : *set) {
        largest = std::max(largest, item.original.size());
      }
    }
    Bytes out(largest + 65536);
    // Fill in the originals by decoding once (the streams come with sizes only).
    for (auto* set : {&deflate, &deflate64}) {
      for (auto& item : *set) {
        TMemoryStream source, dest;
        source.WriteBuffer(item.compressed.data(),
                           static_cast<std::int64_t>(item.compressed.size()));
        source.SetPosition(0);
        vornel::TArDeflateHelper settings;
        settings.SetOptions(vornel::dfc_Default |
                            (set == &deflate64 ? vornel::dfc_UseDeflate64 : 0));
        vornel::Inflate(source, dest, &settings);
        item.original = dest.Bytes();
      }
    }
    VerifyOurs(deflate, false, out);
    VerifyOurs(deflate64, true, out);
    const std::vector<double> best =
        BestInTurns({Ours(deflate, false, out), Ours(deflate64, true, out),
                     Zlib(deflate, out, false), Libdeflate(deflate, out)},
                    kRounds);
    const double d = MBps(deflate, best[0]);
    const double d64 = MBps(deflate64, best[1]);
    const double z = MBps(deflate, best[2]);
    const double l = kHaveLibdeflate ? MBps(deflate, best[3]) : 0;
    std::printf("%-10s %14.1f %14.1f %7.2f %15.1f %17.1f\n", part.name, d, d64, d64 / d, z, l);
  }

  // CRC-32 over all files of both parts.
  Bytes all;
  for (const auto& part : parts) {
    for (const auto& path : part.files) {
      const Bytes b = ReadFile(path);
      all.insert(all.end(), b.begin(), b.end());
    }
  }
  std::uint32_t sink = 0;
  const std::vector<double> best = BestInTurns(
      {[&] { sink ^= vornel::ArCrc32Update(0, all.data(), all.size()); },
       [&] {
         sink ^= static_cast<std::uint32_t>(crc32(0, all.data(), static_cast<uInt>(all.size())));
       },
#ifdef VORNEL_BENCH_LIBDEFLATE
       [&] { sink ^= libdeflate_crc32(0, all.data(), all.size()); }
#else
       [] {}
#endif
      },
      kRounds);
  const double ours = best[0];
  const double zlib = best[1];
  const std::uint32_t expected =
      static_cast<std::uint32_t>(crc32(0, all.data(), static_cast<uInt>(all.size())));
  if (vornel::ArCrc32Update(0, all.data(), all.size()) != expected) {
    std::fprintf(stderr, "CRC-32 differs\n");
    return 1;
  }
  const double mb = static_cast<double>(all.size()) / 1e6;
  std::printf("\nCRC-32 over %.1f MB: ours %.0f MB/s, zlib %.0f MB/s, ours/zlib %.2f", mb,
              mb / ours, mb / zlib, zlib / ours);
#ifdef VORNEL_BENCH_LIBDEFLATE
  const double ldf = best[2];
  if (libdeflate_crc32(0, all.data(), all.size()) != expected) {
    std::fprintf(stderr, "libdeflate CRC-32 differs\n");
    return 1;
  }
  std::printf(", libdeflate %.0f MB/s, ours/libdeflate %.2f", mb / ldf, ldf / ours);
#endif
  std::printf(" (%08x)\n", sink);
  return 0;
}
