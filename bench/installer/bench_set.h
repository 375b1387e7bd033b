// Installation sets for the installer's benchmarks: a zip made by Info-ZIP zip from
// generated items, text-like ones deflated and random ones stored, with a setup
// stand-in that exits 0 at once.
#pragma once

#include <cstdint>
#include <filesystem>

namespace vornel::bench {

struct TSetShape {
  std::uint64_t ZipBytes;   // the size the zip should about have
  std::uint64_t TextBytes;  // of text-like content before compression
};

// Writes the set to zip; returns its size. The staging folder is removed again.
std::uint64_t MakeSet(const std::filesystem::path& zip, const TSetShape& shape);

}  // namespace vornel::bench
