// The items of an archive in directory order, with a hash table of their names.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "zip/zip_item.h"

namespace vornel {

class TArArchiveList {
 public:
  static constexpr std::size_t BucketCount = 1021;

  int Count() const { return static_cast<int>(FItems.size()); }
  TArZipItem& operator[](int index) { return *FItems.at(static_cast<std::size_t>(index)); }
  const TArZipItem& operator[](int index) const {
    return *FItems.at(static_cast<std::size_t>(index));
  }

  void Add(std::unique_ptr<TArZipItem> item);
  void Clear();
  // Index of the first item of the name (compared without regard to case), or -1.
  int Find(std::u16string_view name) const;

  // The bucket of a name: a hash of its upper-cased code units, mod 1021.
  static std::size_t Bucket(std::u16string_view name);

 private:
  std::vector<std::unique_ptr<TArZipItem>> FItems;
  std::array<std::vector<int>, BucketCount> FBuckets;
};

// Upper case of one UTF-16 code unit, for comparing names without regard to case.
char16_t ArUpperUnit(char16_t c);
bool ArSameName(std::u16string_view a, std::u16string_view b);

}  // namespace vornel
