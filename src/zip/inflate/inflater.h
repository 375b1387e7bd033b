// The block decoder: reads blocks from the bit reader and appends their bytes to
// the output window until the final block ends.
#pragma once

#include <array>
#include <cstdint>

#include "zip/inflate/decode_huffman_tree.h"
#include "zip/inflate/in_bit_stream.h"
#include "zip/inflate/output_window.h"

namespace vornel {

// Whether the processor runs the decoding loop's variant for BMI1 and BMI2 (shifts, masks
// and bit fields by a variable count in one instruction each).
bool ArDfProcessorHasBmi2();

// Inflate (zip/inflate/inflate.h) with the decoding loop's variant given: bmi2 may
// be true only where ArDfProcessorHasBmi2().
std::uint32_t ArDfInflateWithLoop(TStream& source, TStream& dest, TArDeflateHelper* settings,
                                  bool bmi2);

class TArDfInflater {
 public:
  // bmi2 picks the decoding loop's variant; it may be true only where the processor
  // has BMI1 and BMI2.
  TArDfInflater(TArDfInBitStream& input, TArDfOutputWindow& output, bool deflate64,
                bool bmi2 = ArDfProcessorHasBmi2());

  // Decodes every block up to and including the final one. Raises
  // TArDfDecodeError for damaged data and TArDfQuietStop for a quiet end.
  void Run();

 private:
  void StoredBlock();
  void DynamicBlock();
  void ReadCodeLengths(unsigned total);
  void DecodeData(const TArDfDecodeHuffmanTree& literals, const TArDfDecodeHuffmanTree& distances);

  template <bool Deflate64>
  void DecodeDataIn(const TArDfDecodeHuffmanTree& literals,
                    const TArDfDecodeHuffmanTree& distances);
  template <bool Deflate64, bool Checked>
  bool DecodeFast(const TArDfDecodeHuffmanTree& literals, const TArDfDecodeHuffmanTree& distances);
  template <bool Deflate64>
  bool DecodeOne(const TArDfDecodeHuffmanTree& literals, const TArDfDecodeHuffmanTree& distances);

  TArDfInBitStream& FInput;
  TArDfOutputWindow& FOutput;
  bool FDeflate64;
  bool FBmi2;
  TArDfDecodeHuffmanTree FCodeLengthTree;
  TArDfDecodeHuffmanTree FLiteralTree;
  TArDfDecodeHuffmanTree FDistanceTree;
  // The code lengths of both codes (at most 286 + 32), and room for the words
  // that store a run of them.
  std::array<std::uint8_t, 320 + 16> FLengths{};
};

}  // namespace vornel
