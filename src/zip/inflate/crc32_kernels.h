// The ways the CRC-32 can be computed on this processor. ArCrc32Update picks the
// fastest one the processor supports, once; the others stay callable so that each
// can be checked against the table method.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vornel {

enum TArCrc32Kernel {
  ckrTable,      // slicing and braided tables, any processor
  ckrClmul,      // carry-less multiplication folding, 128 bits a step (PCLMULQDQ)
  ckrWideClmul,  // the same over 512-bit registers (VPCLMULQDQ with AVX-512)
};

// What the processor offers for the carry-less kernels.
struct TArCrc32Features {
  bool Clmul = false;      // PCLMULQDQ and SSE4.1
  bool WideClmul = false;  // VPCLMULQDQ, AVX-512 F and BW, usable by the system
};

TArCrc32Features ArCrc32ProcessorFeatures();
// The fastest kernel that the features allow.
TArCrc32Kernel ArCrc32KernelFor(const TArCrc32Features& features);
// The kernel ArCrc32Update uses: ArCrc32KernelFor(ArCrc32ProcessorFeatures()).
TArCrc32Kernel ArCrc32ActiveKernel();

// ArCrc32Update through the given kernel, which the processor must support.
std::uint32_t ArCrc32UpdateWith(TArCrc32Kernel kernel, std::uint32_t crc, const void* data,
                                std::size_t size);

// The raw register step over size bytes (no complement on either side), per kernel.
std::uint32_t ArCrc32RawTable(std::uint32_t reg, const std::uint8_t* p, std::size_t size);
std::uint32_t ArCrc32RawClmul(std::uint32_t reg, const std::uint8_t* p, std::size_t size);
std::uint32_t ArCrc32RawWideClmul(std::uint32_t reg, const std::uint8_t* p, std::size_t size);

}  // namespace vornel
