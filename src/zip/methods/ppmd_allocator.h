// The memory of a PPMd (variant I) model: one block of the size the item asks
// for, addressed by 32-bit offsets (0 stands for none). The bottom part holds
// the text of the recent symbols and grows upwards; above it lie the units of
// 12 bytes that hold contexts and state lists, handed out in 38 size classes
// of 1 to 128 units from free lists, from the gap between LoUnit and HiUnit,
// and finally from the top of the text area.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vornel {

class TArPpmdAllocator {
 public:
  static constexpr std::uint32_t kUnitSize = 12;
  static constexpr unsigned kNumIndexes = 38;

  // Reserves size bytes (pages are only touched when the model reaches them);
  // throws EArLegacyDataError when the memory is not available.
  explicit TArPpmdAllocator(std::uint32_t size);

  std::uint32_t Size() const { return FSize; }

  std::uint8_t& Byte(std::uint32_t ref) { return FBase.get()[ref]; }
  std::uint16_t Get16(std::uint32_t ref) const {
    std::uint16_t v;
    std::memcpy(&v, FBase.get() + ref, 2);
    return v;
  }
  void Put16(std::uint32_t ref, std::uint16_t v) { std::memcpy(FBase.get() + ref, &v, 2); }
  std::uint32_t Get32(std::uint32_t ref) const {
    std::uint32_t v;
    std::memcpy(&v, FBase.get() + ref, 4);
    return v;
  }
  void Put32(std::uint32_t ref, std::uint32_t v) { std::memcpy(FBase.get() + ref, &v, 4); }
  void Copy(std::uint32_t to, std::uint32_t from, std::uint32_t bytes) {
    std::memmove(FBase.get() + to, FBase.get() + from, bytes);
  }

  static unsigned IndexToUnits(unsigned index) { return kIndexToUnits[index]; }
  static unsigned UnitsToIndex(unsigned units) { return kUnitsToIndex[units - 1]; }

  // Empties the memory: the text at the bottom, 7/8 of the memory for units.
  void Reset();

  // Allocation; each returns 0 when the memory is exhausted.
  std::uint32_t AllocUnits(unsigned index);
  std::uint32_t AllocContext();
  // Grows a block of units by one unit, moving it when its size class changes.
  std::uint32_t ExpandUnits(std::uint32_t block, unsigned oldUnits);
  std::uint32_t ShrinkUnits(std::uint32_t block, unsigned oldUnits, unsigned newUnits);
  // Moves a block near the bottom of the units area to a free block above it.
  std::uint32_t MoveUnitsUp(std::uint32_t block, unsigned units);
  void FreeUnits(std::uint32_t block, unsigned units) { InsertNode(block, UnitsToIndex(units)); }
  // Frees one unit; at the bottom of the units area it goes back to the text.
  void SpecialFreeUnit(std::uint32_t unit);
  // Gives the free blocks at the bottom of the units area back to the text.
  void ExpandTextArea();
  std::uint32_t UsedMemory() const;
  void ClearGlueCount() { FGlueCount = 0; }

  // The text area and the gap, as offsets.
  std::uint32_t Text = 0;
  std::uint32_t UnitsStart = 0;
  std::uint32_t LoUnit = 0;
  std::uint32_t HiUnit = 0;

 private:
  struct TFree {
    void operator()(std::uint8_t* p) const { std::free(p); }
  };
  static constexpr std::uint32_t kEmptyStamp = 0xFFFFFFFFu;
  static const std::uint8_t kIndexToUnits[kNumIndexes];
  static const std::uint8_t kUnitsToIndex[128];

  // A free block: stamp, next block of its list, its size in units.
  std::uint32_t Stamp(std::uint32_t node) const { return Get32(node); }
  std::uint32_t Next(std::uint32_t node) const { return Get32(node + 4); }
  std::uint32_t Units(std::uint32_t node) const { return Get32(node + 8); }

  void InsertNode(std::uint32_t node, unsigned index);
  std::uint32_t RemoveNode(unsigned index);
  void SplitBlock(std::uint32_t block, unsigned oldIndex, unsigned newIndex);
  void GlueFreeBlocks();
  std::uint32_t AllocUnitsRare(unsigned index);

  std::unique_ptr<std::uint8_t, TFree> FBase;
  std::uint32_t FSize;
  std::uint32_t FFreeList[kNumIndexes] = {};
  std::uint32_t FCounts[kNumIndexes] = {};
  std::uint32_t FGlueCount = 0;
};

}  // namespace vornel
