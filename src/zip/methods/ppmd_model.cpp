#include "zip/methods/ppmd_model.h"

#include <algorithm>
#include <cstring>

#include "zip/methods/legacy_error.h"

namespace vornel {

namespace {

constexpr unsigned kMaxFreq = 124;
constexpr unsigned kIntBits = 7;
constexpr unsigned kPeriodBits = 7;
constexpr unsigned kTotBits = kIntBits + kPeriodBits;
constexpr unsigned kInterval = 1u << kIntBits;
constexpr unsigned kBinScale = 1u << kTotBits;
constexpr std::uint32_t kUnit = TArPpmdAllocator::kUnitSize;

constexpr std::uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3,
                                          0x64A1, 0x5ABC, 0x6632, 0x6051};
constexpr std::uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};

// The quantisation of state counts (and of binary frequencies) into classes,
// and of a suffix's state count into the binary context's index.
struct TTables {
  std::uint8_t NS2Indx[260];
  std::uint8_t NS2BSIndx[256];
  TTables() {
    unsigned i = 0;
    for (; i < 5; ++i)
      NS2Indx[i] = static_cast<std::uint8_t>(i);
    for (unsigned m = i, k = 1; i < 260; ++i) {
      NS2Indx[i] = static_cast<std::uint8_t>(m);
      if (--k == 0)
        k = ++m - 4;
    }
    NS2BSIndx[0] = 0;
    NS2BSIndx[1] = 2;
    std::memset(NS2BSIndx + 2, 4, 9);
    std::memset(NS2BSIndx + 11, 6, 256 - 11);
  }
};

const TTables& Tables() {
  static const TTables tables;
  return tables;
}

unsigned GetMean(unsigned prob) {
  return (prob + (1u << (kPeriodBits - 2))) >> kPeriodBits;
}

std::uint8_t HighFlag(unsigned symbol, std::uint8_t flag) {
  return symbol >= 0x40 ? flag : 0;
}

}  // namespace

unsigned TArPpmdModel::TSee::Mean() {
  const unsigned r = Summ >> Shift;
  Summ = static_cast<std::uint16_t>(Summ - r);
  return r + (r == 0);
}

void TArPpmdModel::TSee::Update() {
  if (Shift < kPeriodBits && --Count == 0) {
    Summ = static_cast<std::uint16_t>(Summ << 1);
    Count = static_cast<std::uint8_t>(3 << Shift++);
  }
}

TArPpmdModel::TArPpmdModel(unsigned maxOrder, TRestoreMethod restoreMethod,
                           std::uint32_t memorySize)
    : FMem(memorySize), FMaxOrder(maxOrder), FRestoreMethod(restoreMethod) {
  RestartModel();
  FDummySee.Shift = kPeriodBits;
  FDummySee.Summ = 0;
  FDummySee.Count = 64;
}

TArPpmdModel::TState TArPpmdModel::LoadState(std::uint32_t s) {
  return TState{Symbol(s), Freq(s), Successor(s)};
}

void TArPpmdModel::StoreState(std::uint32_t s, const TState& v) {
  Symbol(s) = v.Symbol;
  Freq(s) = v.Freq;
  SetSuccessor(s, v.Successor);
}

void TArPpmdModel::SwapStates(std::uint32_t a, std::uint32_t b) {
  const TState t = LoadState(a);
  StoreState(a, LoadState(b));
  StoreState(b, t);
}

std::uint32_t TArPpmdModel::FindState(std::uint32_t c, unsigned symbol) {
  std::uint32_t s = Stats(c);
  for (unsigned i = 0; Symbol(s) != symbol; s += kStateSize) {
    // Every symbol of a context is in its suffix as well; the model is
    // broken when it is not.
    if (++i > NumStats(c))
      throw EArLegacyDataError(u"PPMd data: the model is inconsistent");
  }
  return s;
}

void TArPpmdModel::RestartModel() {
  FMem.Reset();
  FOrderFall = FMaxOrder;
  FRunLength = FInitRL = -static_cast<std::int32_t>(std::min(FMaxOrder, 12u)) - 1;
  FPrevSuccess = 0;

  FMem.HiUnit -= kUnit;
  FMinContext = FMaxContext = FMem.HiUnit;
  SetSuffix(FMinContext, 0);
  NumStats(FMinContext) = 255;
  Flags(FMinContext) = 0;
  SetSummFreq(FMinContext, 256 + 1);
  FFoundState = FMem.LoUnit;
  FMem.LoUnit += 256 / 2 * kUnit;
  SetStats(FMinContext, FFoundState);
  for (unsigned i = 0; i < 256; ++i) {
    const std::uint32_t s = FFoundState + i * kStateSize;
    Symbol(s) = static_cast<std::uint8_t>(i);
    Freq(s) = 1;
    SetSuccessor(s, 0);
  }

  const TTables& t = Tables();
  for (unsigned i = 0, m = 0; m < 25; ++m) {
    while (t.NS2Indx[i] == m)
      ++i;
    for (unsigned k = 0; k < 8; ++k) {
      const auto val = static_cast<std::uint16_t>(kBinScale - kInitBinEsc[k] / (i + 1));
      for (unsigned r = 0; r < 64; r += 8)
        FBinSumm[m][k + r] = val;
    }
  }
  for (unsigned i = 0, m = 0; m < 24; ++m) {
    while (t.NS2Indx[i + 3] == m + 3)
      ++i;
    for (unsigned k = 0; k < 32; ++k) {
      TSee& see = FSee[m][k];
      see.Shift = kPeriodBits - 4;
      see.Summ = static_cast<std::uint16_t>((2 * i + 5) << see.Shift);
      see.Count = 7;
    }
  }
}

std::uint16_t& TArPpmdModel::BinProb() {
  const TTables& t = Tables();
  const unsigned freq = Freq(OneState(FMinContext));
  const unsigned row = t.NS2Indx[freq == 0 ? 0 : freq - 1];
  const unsigned column = t.NS2BSIndx[NumStats(Suffix(FMinContext))] + FPrevSuccess +
                          Flags(FMinContext) + ((FRunLength >> 26) & 0x20);
  return FBinSumm[row][column & 63];
}

TArPpmdModel::TSee* TArPpmdModel::MakeEscFreq(unsigned numMasked, std::uint32_t& escFreq) {
  const std::uint32_t mc = FMinContext;
  const unsigned numStats = NumStats(mc);
  if (numStats == 0xFF) {
    escFreq = 1;
    return &FDummySee;
  }
  const unsigned column = (SummFreq(mc) > 11 * (numStats + 1)) +
                          2 * (2 * numStats < NumStats(Suffix(mc)) + numMasked) + Flags(mc);
  TSee* see = &FSee[Tables().NS2Indx[numStats + 2] - 3][column & 31];
  escFreq = see->Mean();
  return see;
}

int TArPpmdModel::DecodeSymbol(TArPpmdRangeDecoder& rc) {
  if (NumStats(FMinContext) != 0) {
    std::uint32_t s = Stats(FMinContext);
    const unsigned summ = SummFreq(FMinContext);
    const std::uint32_t count = rc.Threshold(summ);
    std::uint32_t hiCnt = Freq(s);
    if (count < hiCnt) {
      rc.Decode(0, hiCnt);
      FFoundState = s;
      const int symbol = Symbol(s);
      Update1First();
      return symbol;
    }
    FPrevSuccess = 0;
    unsigned i = NumStats(FMinContext);
    do {
      s += kStateSize;
      if ((hiCnt += Freq(s)) > count) {
        rc.Decode(hiCnt - Freq(s), Freq(s));
        FFoundState = s;
        const int symbol = Symbol(s);
        Update1();
        return symbol;
      }
    } while (--i);
    if (count >= summ)
      return -2;
    rc.Decode(hiCnt, summ - hiCnt);
    FCharMask.fill(0xFF);
    for (i = 0, s = Stats(FMinContext); i <= NumStats(FMinContext); ++i, s += kStateSize)
      FCharMask[Symbol(s)] = 0;
  } else {
    std::uint16_t& prob = BinProb();
    if (rc.ThresholdShift(kTotBits) < prob) {
      rc.Decode(0, prob);
      prob = static_cast<std::uint16_t>(prob + kInterval - GetMean(prob));
      FFoundState = OneState(FMinContext);
      const int symbol = Symbol(FFoundState);
      UpdateBin();
      return symbol;
    }
    rc.Decode(prob, kBinScale - prob);
    prob = static_cast<std::uint16_t>(prob - GetMean(prob));
    FInitEsc = kExpEscape[prob >> 10];
    FCharMask.fill(0xFF);
    FCharMask[Symbol(OneState(FMinContext))] = 0;
    FPrevSuccess = 0;
  }
  for (;;) {
    const unsigned numMasked = NumStats(FMinContext);
    do {
      ++FOrderFall;
      if (Suffix(FMinContext) == 0)
        return -1;
      FMinContext = Suffix(FMinContext);
    } while (NumStats(FMinContext) == numMasked);

    std::uint32_t ps[256];
    unsigned n = 0;
    std::uint32_t hiCnt = 0;
    std::uint32_t s = Stats(FMinContext);
    for (unsigned i = 0; i <= NumStats(FMinContext); ++i, s += kStateSize) {
      if (FCharMask[Symbol(s)] != 0) {
        hiCnt += Freq(s);
        ps[n++] = s;
      }
    }
    std::uint32_t escFreq = 0;
    TSee* see = MakeEscFreq(numMasked, escFreq);
    const std::uint32_t freqSum = escFreq + hiCnt;
    const std::uint32_t count = rc.Threshold(freqSum);
    if (count < hiCnt) {
      unsigned k = 0;
      hiCnt = 0;
      while ((hiCnt += Freq(ps[k])) <= count)
        ++k;
      s = ps[k];
      rc.Decode(hiCnt - Freq(s), Freq(s));
      see->Update();
      FFoundState = s;
      const int symbol = Symbol(s);
      Update2();
      return symbol;
    }
    if (count >= freqSum)
      return -2;
    rc.Decode(hiCnt, freqSum - hiCnt);
    see->Summ = static_cast<std::uint16_t>(see->Summ + freqSum);
    for (unsigned k = 0; k < n; ++k)
      FCharMask[Symbol(ps[k])] = 0;
  }
}

void TArPpmdModel::Update1() {
  std::uint32_t s = FFoundState;
  Freq(s) = static_cast<std::uint8_t>(Freq(s) + 4);
  SetSummFreq(FMinContext, SummFreq(FMinContext) + 4);
  if (Freq(s) > Freq(s - kStateSize)) {
    SwapStates(s, s - kStateSize);
    FFoundState = s -= kStateSize;
    if (Freq(s) > kMaxFreq)
      Rescale();
  }
  NextContext();
}

void TArPpmdModel::Update1First() {
  FPrevSuccess = 2u * Freq(FFoundState) >= SummFreq(FMinContext);
  FRunLength += static_cast<std::int32_t>(FPrevSuccess);
  SetSummFreq(FMinContext, SummFreq(FMinContext) + 4);
  Freq(FFoundState) = static_cast<std::uint8_t>(Freq(FFoundState) + 4);
  if (Freq(FFoundState) > kMaxFreq)
    Rescale();
  NextContext();
}

void TArPpmdModel::Update2() {
  SetSummFreq(FMinContext, SummFreq(FMinContext) + 4);
  Freq(FFoundState) = static_cast<std::uint8_t>(Freq(FFoundState) + 4);
  if (Freq(FFoundState) > kMaxFreq)
    Rescale();
  FRunLength = FInitRL;
  UpdateModel();
  FMinContext = FMaxContext;
}

void TArPpmdModel::UpdateBin() {
  Freq(FFoundState) = static_cast<std::uint8_t>(Freq(FFoundState) + (Freq(FFoundState) < 196));
  FPrevSuccess = 1;
  ++FRunLength;
  NextContext();
}

void TArPpmdModel::NextContext() {
  const std::uint32_t c = Successor(FFoundState);
  if (FOrderFall == 0 && c >= FMem.UnitsStart) {
    FMinContext = FMaxContext = c;
  } else {
    UpdateModel();
    FMinContext = FMaxContext;
  }
}

void TArPpmdModel::Rescale() {
  const std::uint32_t mc = FMinContext;
  const std::uint32_t stats = Stats(mc);
  std::uint32_t s = FFoundState;
  // The found state moves to the front.
  if (s != stats) {
    const TState tmp = LoadState(s);
    for (; s != stats; s -= kStateSize)
      StoreState(s, LoadState(s - kStateSize));
    StoreState(s, tmp);
  }
  unsigned escFreq = SummFreq(mc) - Freq(s);
  Freq(s) = static_cast<std::uint8_t>(Freq(s) + 4);
  const unsigned adder = FOrderFall != 0;
  Freq(s) = static_cast<std::uint8_t>((Freq(s) + adder) >> 1);
  unsigned sumFreq = Freq(s);

  unsigned i = NumStats(mc);
  do {
    s += kStateSize;
    escFreq -= Freq(s);
    Freq(s) = static_cast<std::uint8_t>((Freq(s) + adder) >> 1);
    sumFreq += Freq(s);
    if (Freq(s) > Freq(s - kStateSize)) {
      const TState tmp = LoadState(s);
      std::uint32_t s1 = s;
      do {
        StoreState(s1, LoadState(s1 - kStateSize));
        s1 -= kStateSize;
      } while (s1 != stats && tmp.Freq > Freq(s1 - kStateSize));
      StoreState(s1, tmp);
    }
  } while (--i);

  if (Freq(s) == 0) {
    const unsigned numStats = NumStats(mc);
    i = 0;
    do {
      ++i;
      s -= kStateSize;
    } while (Freq(s) == 0);
    escFreq += i;
    NumStats(mc) = static_cast<std::uint8_t>(numStats - i);
    if (NumStats(mc) == 0) {
      TState tmp = LoadState(stats);
      tmp.Freq = static_cast<std::uint8_t>(
          std::min<unsigned>((2 * tmp.Freq + escFreq - 1) / escFreq, kMaxFreq / 3));
      FMem.FreeUnits(stats, (numStats + 2) >> 1);
      Flags(mc) = static_cast<std::uint8_t>((Flags(mc) & 0x10) + HighFlag(tmp.Symbol, 0x08));
      FFoundState = OneState(mc);
      StoreState(FFoundState, tmp);
      return;
    }
    const unsigned n0 = (numStats + 2) >> 1;
    const unsigned n1 = (NumStats(mc) + 2) >> 1;
    if (n0 != n1)
      SetStats(mc, FMem.ShrinkUnits(stats, n0, n1));
    std::uint8_t flags = Flags(mc) & static_cast<std::uint8_t>(~0x08);
    s = Stats(mc);
    for (i = 0; i <= NumStats(mc); ++i, s += kStateSize)
      flags |= HighFlag(Symbol(s), 0x08);
    Flags(mc) = flags;
  }
  SetSummFreq(mc, sumFreq + escFreq - (escFreq >> 1));
  Flags(mc) |= 0x04;
  FFoundState = Stats(mc);
}

std::uint32_t TArPpmdModel::CreateSuccessors(bool skip, std::uint32_t s1, std::uint32_t c) {
  const std::uint32_t upBranch = Successor(FFoundState);
  const std::uint8_t foundSymbol = Symbol(FFoundState);
  std::uint32_t ps[kMaxOrder + 1];
  unsigned numPs = 0;
  if (!skip)
    ps[numPs++] = FFoundState;

  while (Suffix(c) != 0) {
    c = Suffix(c);
    std::uint32_t s;
    if (s1 != 0) {
      s = s1;
      s1 = 0;
    } else if (NumStats(c) != 0) {
      s = FindState(c, foundSymbol);
      if (Freq(s) < kMaxFreq - 9) {
        ++Freq(s);
        SetSummFreq(c, SummFreq(c) + 1);
      }
    } else {
      s = OneState(c);
      Freq(s) = static_cast<std::uint8_t>(Freq(s) + ((NumStats(Suffix(c)) == 0) & (Freq(s) < 24)));
    }
    const std::uint32_t successor = Successor(s);
    if (successor != upBranch) {
      c = successor;
      if (numPs == 0)
        return c;
      break;
    }
    if (numPs > kMaxOrder)
      return 0;
    ps[numPs++] = s;
  }
  if (numPs == 0)
    return c;

  TState upState;
  upState.Symbol = FMem.Byte(upBranch);
  upState.Successor = upBranch + 1;
  const std::uint8_t flags =
      static_cast<std::uint8_t>(HighFlag(foundSymbol, 0x10) + HighFlag(upState.Symbol, 0x08));
  if (NumStats(c) == 0) {
    upState.Freq = Freq(OneState(c));
  } else {
    const std::uint32_t s = FindState(c, upState.Symbol);
    const unsigned cf = Freq(s) - 1u;
    const unsigned s0 = SummFreq(c) - NumStats(c) - cf;
    upState.Freq =
        static_cast<std::uint8_t>(1 + ((2 * cf <= s0) ? (5 * cf > s0) : ((cf + 2 * s0 - 3) / s0)));
  }

  do {
    const std::uint32_t c1 = FMem.AllocContext();
    if (c1 == 0)
      return 0;
    NumStats(c1) = 0;
    Flags(c1) = flags;
    StoreState(OneState(c1), upState);
    SetSuffix(c1, c);
    SetSuccessor(ps[--numPs], c1);
    c = c1;
  } while (numPs != 0);
  return c;
}

std::uint32_t TArPpmdModel::ReduceOrder(std::uint32_t s1, std::uint32_t c) {
  const std::uint32_t c1 = c;
  const std::uint32_t upBranch = FMem.Text;
  const std::uint8_t foundSymbol = Symbol(FFoundState);
  std::uint32_t s = 0;

  SetSuccessor(FFoundState, upBranch);
  ++FOrderFall;
  for (;;) {
    if (s1 != 0) {
      c = Suffix(c);
      s = s1;
      s1 = 0;
    } else {
      if (Suffix(c) == 0)
        return c;
      c = Suffix(c);
      if (NumStats(c) != 0) {
        s = FindState(c, foundSymbol);
        if (Freq(s) < kMaxFreq - 9) {
          Freq(s) = static_cast<std::uint8_t>(Freq(s) + 2);
          SetSummFreq(c, SummFreq(c) + 2);
        }
      } else {
        s = OneState(c);
        Freq(s) = static_cast<std::uint8_t>(Freq(s) + (Freq(s) < 32));
      }
    }
    if (Successor(s) != 0)
      break;
    SetSuccessor(s, upBranch);
    ++FOrderFall;
  }

  if (Successor(s) <= upBranch) {
    const std::uint32_t found = FFoundState;
    FFoundState = s;
    SetSuccessor(s, CreateSuccessors(false, 0, c));
    FFoundState = found;
  }
  if (FOrderFall == 1 && c1 == FMaxContext) {
    SetSuccessor(FFoundState, Successor(s));
    if (FMem.Text > 0)
      --FMem.Text;
  }
  return Successor(s);
}

void TArPpmdModel::UpdateModel() {
  std::uint32_t fSuccessor = Successor(FFoundState);
  const unsigned fFreq = Freq(FFoundState);
  const std::uint8_t fSymbol = Symbol(FFoundState);
  std::uint32_t s = 0;

  if (fFreq < kMaxFreq / 4 && Suffix(FMinContext) != 0) {
    const std::uint32_t c = Suffix(FMinContext);
    if (NumStats(c) == 0) {
      s = OneState(c);
      if (Freq(s) < 32)
        ++Freq(s);
    } else {
      s = FindState(c, fSymbol);
      if (s != Stats(c)) {
        if (Freq(s) >= Freq(s - kStateSize)) {
          SwapStates(s, s - kStateSize);
          s -= kStateSize;
        }
      }
      if (Freq(s) < kMaxFreq - 9) {
        Freq(s) = static_cast<std::uint8_t>(Freq(s) + 2);
        SetSummFreq(c, SummFreq(c) + 2);
      }
    }
  }

  std::uint32_t c = FMaxContext;
  if (FOrderFall == 0 && fSuccessor != 0) {
    const std::uint32_t cs = CreateSuccessors(true, s, FMinContext);
    SetSuccessor(FFoundState, cs);
    if (cs == 0) {
      RestoreModel(c);
      return;
    }
    FMaxContext = cs;
    return;
  }

  FMem.Byte(FMem.Text++) = fSymbol;
  std::uint32_t successor = FMem.Text;
  if (FMem.Text >= FMem.UnitsStart) {
    RestoreModel(c);
    return;
  }

  if (fSuccessor == 0) {
    const std::uint32_t cs = ReduceOrder(s, FMinContext);
    if (cs == 0) {
      RestoreModel(c);
      return;
    }
    fSuccessor = cs;
  } else if (fSuccessor < FMem.UnitsStart) {
    const std::uint32_t cs = CreateSuccessors(false, s, FMinContext);
    if (cs == 0) {
      RestoreModel(c);
      return;
    }
    fSuccessor = cs;
  }

  if (--FOrderFall == 0) {
    successor = fSuccessor;
    if (FMaxContext != FMinContext && FMem.Text > 0)
      --FMem.Text;
  }

  const unsigned ns = NumStats(FMinContext);
  const unsigned s0 = SummFreq(FMinContext) - ns - fFreq;
  const std::uint8_t flag = HighFlag(fSymbol, 0x08);

  for (; c != FMinContext; c = Suffix(c)) {
    const unsigned ns1 = NumStats(c);
    if (ns1 != 0) {
      if ((ns1 & 1) != 0) {
        const std::uint32_t stats = FMem.ExpandUnits(Stats(c), (ns1 + 1) >> 1);
        if (stats == 0) {
          RestoreModel(c);
          return;
        }
        SetStats(c, stats);
      }
      SetSummFreq(c, SummFreq(c) + (3 * ns1 + 1 < ns));
    } else {
      const std::uint32_t s2 = FMem.AllocUnits(0);
      if (s2 == 0) {
        RestoreModel(c);
        return;
      }
      StoreState(s2, LoadState(OneState(c)));
      SetStats(c, s2);
      if (Freq(s2) < kMaxFreq / 4 - 1)
        Freq(s2) = static_cast<std::uint8_t>(Freq(s2) << 1);
      else
        Freq(s2) = kMaxFreq - 4;
      SetSummFreq(c, Freq(s2) + FInitEsc + (ns > 2));
    }
    std::uint32_t cf = 2 * fFreq * (SummFreq(c) + 6u);
    const std::uint32_t sf = s0 + SummFreq(c);
    if (cf < 6 * sf) {
      cf = 1 + (cf > sf) + (cf >= 4 * sf);
      SetSummFreq(c, SummFreq(c) + 4);
    } else {
      cf = 4 + (cf > 9 * sf) + (cf > 12 * sf) + (cf > 15 * sf);
      SetSummFreq(c, SummFreq(c) + cf);
    }
    const std::uint32_t s2 = Stats(c) + (ns1 + 1) * kStateSize;
    SetSuccessor(s2, successor);
    Symbol(s2) = fSymbol;
    Freq(s2) = static_cast<std::uint8_t>(cf);
    Flags(c) |= flag;
    NumStats(c) = static_cast<std::uint8_t>(ns1 + 1);
  }
  FMaxContext = FMinContext = fSuccessor;
}

void TArPpmdModel::Refresh(std::uint32_t c, unsigned oldUnits, unsigned scale) {
  unsigned i = NumStats(c);
  std::uint32_t s = FMem.ShrinkUnits(Stats(c), oldUnits, (i + 2) >> 1);
  SetStats(c, s);
  scale |= SummFreq(c) >= (1u << 15);
  unsigned flags = (Flags(c) & (0x10 + 0x04 * scale)) + HighFlag(Symbol(s), 0x08);
  unsigned escFreq = SummFreq(c) - Freq(s);
  Freq(s) = static_cast<std::uint8_t>((Freq(s) + scale) >> scale);
  unsigned sumFreq = Freq(s);
  do {
    s += kStateSize;
    escFreq -= Freq(s);
    Freq(s) = static_cast<std::uint8_t>((Freq(s) + scale) >> scale);
    sumFreq += Freq(s);
    flags |= HighFlag(Symbol(s), 0x08);
  } while (--i);
  SetSummFreq(c, sumFreq + ((escFreq + scale) >> scale));
  Flags(c) = static_cast<std::uint8_t>(flags);
}

std::uint32_t TArPpmdModel::CutOff(std::uint32_t c, unsigned order) {
  if (NumStats(c) == 0) {
    const std::uint32_t s = OneState(c);
    if (Successor(s) >= FMem.UnitsStart) {
      if (order < FMaxOrder)
        SetSuccessor(s, CutOff(Successor(s), order + 1));
      else
        SetSuccessor(s, 0);
      if (Successor(s) != 0 || order <= 9)
        return c;
    }
    FMem.SpecialFreeUnit(c);
    return 0;
  }

  const unsigned units = (NumStats(c) + 2u) >> 1;
  SetStats(c, FMem.MoveUnitsUp(Stats(c), units));
  int i = NumStats(c);
  for (std::uint32_t s = Stats(c) + static_cast<std::uint32_t>(i) * kStateSize;; s -= kStateSize) {
    if (Successor(s) < FMem.UnitsStart) {
      const std::uint32_t s2 = Stats(c) + static_cast<std::uint32_t>(i--) * kStateSize;
      SetSuccessor(s, 0);
      SwapStates(s, s2);
    } else if (order < FMaxOrder) {
      SetSuccessor(s, CutOff(Successor(s), order + 1));
    } else {
      SetSuccessor(s, 0);
    }
    if (s == Stats(c))
      break;
  }

  if (i != NumStats(c) && order != 0) {
    NumStats(c) = static_cast<std::uint8_t>(i);
    const std::uint32_t s = Stats(c);
    if (i < 0) {
      FMem.FreeUnits(s, units);
      FMem.SpecialFreeUnit(c);
      return 0;
    }
    if (i == 0) {
      Flags(c) = static_cast<std::uint8_t>((Flags(c) & 0x10) + HighFlag(Symbol(s), 0x08));
      StoreState(OneState(c), LoadState(s));
      FMem.FreeUnits(s, units);
      Freq(OneState(c)) = static_cast<std::uint8_t>((Freq(OneState(c)) + 11u) >> 3);
    } else {
      Refresh(c, units, SummFreq(c) > 16 * static_cast<unsigned>(i));
    }
  }
  return c;
}

void TArPpmdModel::RestoreModel(std::uint32_t c1) {
  ++FRestorations;
  FMem.Text = 0;
  std::uint32_t c = FMaxContext;
  for (; c != c1; c = Suffix(c)) {
    if (--NumStats(c) == 0) {
      const std::uint32_t s = Stats(c);
      Flags(c) = static_cast<std::uint8_t>((Flags(c) & 0x10) + HighFlag(Symbol(s), 0x08));
      StoreState(OneState(c), LoadState(s));
      FMem.SpecialFreeUnit(s);
      Freq(OneState(c)) = static_cast<std::uint8_t>((Freq(OneState(c)) + 11u) >> 3);
    } else {
      Refresh(c, (NumStats(c) + 3u) >> 1, 0);
    }
  }
  for (; c != FMinContext; c = Suffix(c)) {
    if (NumStats(c) == 0) {
      Freq(OneState(c)) = static_cast<std::uint8_t>(Freq(OneState(c)) - (Freq(OneState(c)) >> 1));
    } else {
      SetSummFreq(c, SummFreq(c) + 4);
      if (SummFreq(c) > 128 + 4u * NumStats(c))
        Refresh(c, (NumStats(c) + 2u) >> 1, 1);
    }
  }

  if (FRestoreMethod == rmRestart || FMem.UsedMemory() < (FMem.Size() >> 1)) {
    RestartModel();
  } else {
    while (Suffix(FMaxContext) != 0)
      FMaxContext = Suffix(FMaxContext);
    do {
      CutOff(FMaxContext, 0);
      FMem.ExpandTextArea();
    } while (FMem.UsedMemory() > 3 * (FMem.Size() >> 2));
    FMem.ClearGlueCount();
    FOrderFall = FMaxOrder;
  }
}

}  // namespace vornel
