// The PPMd variant I (revision 1) model: contexts of up to MaxOrder preceding
// symbols with their states (symbol, frequency, successor context), binary
// contexts with adaptive escape estimates, secondary escape estimation (SEE)
// for the others, and the two ways back when the memory is full: restart
// from scratch, or cut the model down to what is still reachable.
#pragma once

#include <array>
#include <cstdint>

#include "zip/methods/ppmd_allocator.h"
#include "zip/methods/ppmd_range_decoder.h"

namespace vornel {

class TArPpmdModel {
 public:
  static constexpr unsigned kMinOrder = 2;
  static constexpr unsigned kMaxOrder = 64;
  enum TRestoreMethod : unsigned { rmRestart = 0, rmCutOff = 1 };

  TArPpmdModel(unsigned maxOrder, TRestoreMethod restoreMethod, std::uint32_t memorySize);

  // The next symbol (0-255), -1 for the end mark, -2 for damaged data.
  int DecodeSymbol(TArPpmdRangeDecoder& rc);

  // How often the memory ran full and the model was restarted or cut down.
  unsigned Restorations() const { return FRestorations; }

 private:
  // An adaptive escape estimate of the secondary escape estimation.
  struct TSee {
    std::uint16_t Summ = 0;
    std::uint8_t Shift = 0;
    std::uint8_t Count = 0;
    unsigned Mean();
    void Update();
  };
  // A state held outside the memory.
  struct TState {
    std::uint8_t Symbol = 0;
    std::uint8_t Freq = 0;
    std::uint32_t Successor = 0;
  };

  // States: 6 bytes (symbol, frequency, successor).
  static constexpr std::uint32_t kStateSize = 6;
  std::uint8_t& Symbol(std::uint32_t s) { return FMem.Byte(s); }
  std::uint8_t& Freq(std::uint32_t s) { return FMem.Byte(s + 1); }
  std::uint32_t Successor(std::uint32_t s) const { return FMem.Get32(s + 2); }
  void SetSuccessor(std::uint32_t s, std::uint32_t v) { FMem.Put32(s + 2, v); }
  TState LoadState(std::uint32_t s);
  void StoreState(std::uint32_t s, const TState& v);
  void SwapStates(std::uint32_t a, std::uint32_t b);

  // Contexts: one unit (number of states - 1, flags, total frequency, state
  // list, suffix); a context with one state holds it in place of the total
  // and the list.
  std::uint8_t& NumStats(std::uint32_t c) { return FMem.Byte(c); }
  std::uint8_t& Flags(std::uint32_t c) { return FMem.Byte(c + 1); }
  std::uint16_t SummFreq(std::uint32_t c) const { return FMem.Get16(c + 2); }
  void SetSummFreq(std::uint32_t c, unsigned v) {
    FMem.Put16(c + 2, static_cast<std::uint16_t>(v));
  }
  std::uint32_t Stats(std::uint32_t c) const { return FMem.Get32(c + 4); }
  void SetStats(std::uint32_t c, std::uint32_t v) { FMem.Put32(c + 4, v); }
  std::uint32_t Suffix(std::uint32_t c) const { return FMem.Get32(c + 8); }
  void SetSuffix(std::uint32_t c, std::uint32_t v) { FMem.Put32(c + 8, v); }
  static std::uint32_t OneState(std::uint32_t c) { return c + 2; }

  std::uint32_t FindState(std::uint32_t c, unsigned symbol);
  void RestartModel();
  std::uint16_t& BinProb();
  TSee* MakeEscFreq(unsigned numMasked, std::uint32_t& escFreq);
  void Rescale();
  void NextContext();
  void Update1();
  void Update1First();
  void Update2();
  void UpdateBin();
  void UpdateModel();
  std::uint32_t CreateSuccessors(bool skip, std::uint32_t s1, std::uint32_t c);
  std::uint32_t ReduceOrder(std::uint32_t s1, std::uint32_t c);
  void RestoreModel(std::uint32_t c1);
  void Refresh(std::uint32_t c, unsigned oldUnits, unsigned scale);
  std::uint32_t CutOff(std::uint32_t c, unsigned order);

  TArPpmdAllocator FMem;
  unsigned FMaxOrder;
  TRestoreMethod FRestoreMethod;

  std::uint32_t FMinContext = 0;
  std::uint32_t FMaxContext = 0;
  std::uint32_t FFoundState = 0;
  unsigned FOrderFall = 0;
  unsigned FInitEsc = 0;
  unsigned FPrevSuccess = 0;
  std::int32_t FRunLength = 0;
  std::int32_t FInitRL = 0;
  unsigned FRestorations = 0;

  std::uint16_t FBinSumm[25][64] = {};
  TSee FSee[24][32] = {};
  TSee FDummySee;
  std::array<std::uint8_t, 256> FCharMask = {};
};

}  // namespace vornel
