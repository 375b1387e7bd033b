#include "zip/methods/ppmd_allocator.h"

#include <string>

#include "platform/text.h"
#include "zip/methods/legacy_error.h"

namespace vornel {

namespace {

constexpr std::uint32_t U2B(std::uint32_t units) {
  return units * TArPpmdAllocator::kUnitSize;
}

// Room beyond the model's memory so that a state list at the very top may be
// read as whole units.
constexpr std::uint32_t kSlack = 64;

}  // namespace

// 1-4 by one, 6-12 by two, 15-24 by three, then by four up to 128.
const std::uint8_t TArPpmdAllocator::kIndexToUnits[kNumIndexes] = {
    1,  2,  3,  4,  6,  8,  10, 12, 15, 18, 21, 24,  28,  32,  36,  40,  44,  48,  52,
    56, 60, 64, 68, 72, 76, 80, 84, 88, 92, 96, 100, 104, 108, 112, 116, 120, 124, 128};

// The smallest size class that holds n + 1 units, for n = 0 .. 127.
const std::uint8_t TArPpmdAllocator::kUnitsToIndex[128] = {
    0,  1,  2,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  8,  9,  9,  9,  10, 10, 10, 11,
    11, 11, 12, 12, 12, 12, 13, 13, 13, 13, 14, 14, 14, 14, 15, 15, 15, 15, 16, 16, 16, 16,
    17, 17, 17, 17, 18, 18, 18, 18, 19, 19, 19, 19, 20, 20, 20, 20, 21, 21, 21, 21, 22, 22,
    22, 22, 23, 23, 23, 23, 24, 24, 24, 24, 25, 25, 25, 25, 26, 26, 26, 26, 27, 27, 27, 27,
    28, 28, 28, 28, 29, 29, 29, 29, 30, 30, 30, 30, 31, 31, 31, 31, 32, 32, 32, 32, 33, 33,
    33, 33, 34, 34, 34, 34, 35, 35, 35, 35, 36, 36, 36, 36, 37, 37, 37, 37};

TArPpmdAllocator::TArPpmdAllocator(std::uint32_t size) : FSize(size) {
  FBase.reset(static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(size) + kSlack, 1)));
  if (!FBase)
    throw EArLegacyDataError(u"PPMd data: not enough memory for a model of " +
                             IntToText(static_cast<std::int64_t>(size >> 20)) + u" MB");
}

void TArPpmdAllocator::Reset() {
  std::memset(FFreeList, 0, sizeof(FFreeList));
  std::memset(FCounts, 0, sizeof(FCounts));
  Text = 0;
  HiUnit = Text + FSize;
  LoUnit = UnitsStart = HiUnit - FSize / 8 / kUnitSize * 7 * kUnitSize;
  FGlueCount = 0;
}

void TArPpmdAllocator::InsertNode(std::uint32_t node, unsigned index) {
  Put32(node, kEmptyStamp);
  Put32(node + 4, FFreeList[index]);
  Put32(node + 8, IndexToUnits(index));
  FFreeList[index] = node;
  ++FCounts[index];
}

std::uint32_t TArPpmdAllocator::RemoveNode(unsigned index) {
  const std::uint32_t node = FFreeList[index];
  FFreeList[index] = Next(node);
  --FCounts[index];
  return node;
}

void TArPpmdAllocator::SplitBlock(std::uint32_t block, unsigned oldIndex, unsigned newIndex) {
  const unsigned nu = IndexToUnits(oldIndex) - IndexToUnits(newIndex);
  block += U2B(IndexToUnits(newIndex));
  unsigned i = UnitsToIndex(nu);
  if (IndexToUnits(i) != nu) {
    const unsigned k = IndexToUnits(--i);
    InsertNode(block + U2B(k), nu - k - 1);
  }
  InsertNode(block, i);
}

void TArPpmdAllocator::GlueFreeBlocks() {
  FGlueCount = 1u << 13;
  std::memset(FCounts, 0, sizeof(FCounts));
  // A block that is not free marks the end of the run below the gap; above
  // the gap the root context at the top ends every run.
  if (LoUnit != HiUnit)
    Put32(LoUnit, 0);

  // Chain every free block into one list, each absorbing the free blocks
  // that follow it in memory.
  std::uint32_t head = 0;
  std::uint32_t tail = 0;
  for (unsigned i = 0; i < kNumIndexes; ++i) {
    std::uint32_t next = FFreeList[i];
    FFreeList[i] = 0;
    while (next != 0) {
      const std::uint32_t node = next;
      next = Next(node);
      std::uint32_t nu = Units(node);
      if (nu == 0)
        continue;
      if (tail == 0)
        head = node;
      else
        Put32(tail + 4, node);
      tail = node;
      for (std::uint32_t node2; Stamp(node2 = node + U2B(nu)) == kEmptyStamp;) {
        nu += Units(node2);
        Put32(node2 + 8, 0);
        Put32(node + 8, nu);
      }
    }
  }
  if (tail != 0)
    Put32(tail + 4, 0);

  // Hand the glued blocks out to the size classes again.
  while (head != 0) {
    std::uint32_t node = head;
    head = Next(node);
    std::uint32_t nu = Units(node);
    if (nu == 0)
      continue;
    for (; nu > 128; nu -= 128, node += U2B(128))
      InsertNode(node, kNumIndexes - 1);
    unsigned i = UnitsToIndex(nu);
    if (IndexToUnits(i) != nu) {
      const unsigned k = IndexToUnits(--i);
      InsertNode(node + U2B(k), nu - k - 1);
    }
    InsertNode(node, i);
  }
}

std::uint32_t TArPpmdAllocator::AllocUnitsRare(unsigned index) {
  if (FGlueCount == 0) {
    GlueFreeBlocks();
    if (FFreeList[index] != 0)
      return RemoveNode(index);
  }
  unsigned i = index;
  do {
    if (++i == kNumIndexes) {
      const std::uint32_t numBytes = U2B(IndexToUnits(index));
      --FGlueCount;
      if (UnitsStart - Text > numBytes) {
        UnitsStart -= numBytes;
        return UnitsStart;
      }
      return 0;
    }
  } while (FFreeList[i] == 0);
  const std::uint32_t block = RemoveNode(i);
  SplitBlock(block, i, index);
  return block;
}

std::uint32_t TArPpmdAllocator::AllocUnits(unsigned index) {
  if (FFreeList[index] != 0)
    return RemoveNode(index);
  const std::uint32_t numBytes = U2B(IndexToUnits(index));
  if (numBytes <= HiUnit - LoUnit) {
    const std::uint32_t block = LoUnit;
    LoUnit += numBytes;
    return block;
  }
  return AllocUnitsRare(index);
}

std::uint32_t TArPpmdAllocator::AllocContext() {
  if (HiUnit != LoUnit)
    return HiUnit -= kUnitSize;
  if (FFreeList[0] != 0)
    return RemoveNode(0);
  return AllocUnitsRare(0);
}

std::uint32_t TArPpmdAllocator::ExpandUnits(std::uint32_t block, unsigned oldUnits) {
  const unsigned i0 = UnitsToIndex(oldUnits);
  const unsigned i1 = UnitsToIndex(oldUnits + 1);
  if (i0 == i1)
    return block;
  const std::uint32_t moved = AllocUnits(i1);
  if (moved != 0) {
    Copy(moved, block, U2B(oldUnits));
    InsertNode(block, i0);
  }
  return moved;
}

std::uint32_t TArPpmdAllocator::ShrinkUnits(std::uint32_t block, unsigned oldUnits,
                                            unsigned newUnits) {
  const unsigned i0 = UnitsToIndex(oldUnits);
  const unsigned i1 = UnitsToIndex(newUnits);
  if (i0 == i1)
    return block;
  if (FFreeList[i1] != 0) {
    const std::uint32_t moved = RemoveNode(i1);
    Copy(moved, block, U2B(newUnits));
    InsertNode(block, i0);
    return moved;
  }
  SplitBlock(block, i0, i1);
  return block;
}

std::uint32_t TArPpmdAllocator::MoveUnitsUp(std::uint32_t block, unsigned units) {
  const unsigned index = UnitsToIndex(units);
  if (block > UnitsStart + 16 * 1024 || block > FFreeList[index])
    return block;
  const std::uint32_t moved = RemoveNode(index);
  Copy(moved, block, U2B(units));
  if (block != UnitsStart)
    InsertNode(block, index);
  else
    UnitsStart += U2B(IndexToUnits(index));
  return moved;
}

void TArPpmdAllocator::SpecialFreeUnit(std::uint32_t unit) {
  if (unit != UnitsStart) {
    InsertNode(unit, 0);
  } else {
    Put32(unit, kEmptyStamp);
    UnitsStart += kUnitSize;
  }
}

void TArPpmdAllocator::ExpandTextArea() {
  std::uint32_t count[kNumIndexes] = {};
  if (LoUnit != HiUnit)
    Put32(LoUnit, 0);
  std::uint32_t node = UnitsStart;
  for (; Stamp(node) == kEmptyStamp; node += U2B(Units(node))) {
    const std::uint32_t nu = Units(node);
    if (nu == 0 || nu > 128)
      break;  // not a block of a free list
    Put32(node, 0);
    ++count[UnitsToIndex(nu)];
  }
  UnitsStart = node;

  // Take the blocks now in the text out of their lists.
  for (unsigned i = 0; i < kNumIndexes; ++i) {
    std::uint32_t link = 0;  // 0: the list head, else the block whose next is looked at
    while (count[i] != 0) {
      std::uint32_t current = link == 0 ? FFreeList[i] : Next(link);
      if (current == 0)
        break;
      while (Stamp(current) == 0) {
        current = Next(current);
        if (link == 0)
          FFreeList[i] = current;
        else
          Put32(link + 4, current);
        --FCounts[i];
        if (--count[i] == 0)
          break;
      }
      link = current;
    }
  }
}

std::uint32_t TArPpmdAllocator::UsedMemory() const {
  std::uint32_t freeUnits = 0;
  for (unsigned i = 0; i < kNumIndexes; ++i)
    freeUnits += FCounts[i] * IndexToUnits(i);
  return FSize - (HiUnit - LoUnit) - (UnitsStart - Text) - U2B(freeUnits);
}

}  // namespace vornel
