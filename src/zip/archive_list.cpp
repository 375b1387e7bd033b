#include "zip/archive_list.h"

#include "platform/upper_case.h"

namespace vornel {

char16_t ArUpperUnit(char16_t c) {
  return UpperCaseUnit(c);
}

bool ArSameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ArUpperUnit(a[i]) != ArUpperUnit(b[i]))
      return false;
  }
  return true;
}

std::size_t TArArchiveList::Bucket(std::u16string_view name) {
  std::uint32_t h = 0;
  for (char16_t c : name) {
    h = (h << 4) + ArUpperUnit(c);
    const std::uint32_t g = h & 0xF0000000u;
    if (g != 0)
      h ^= g >> 24;
    h &= ~g;
  }
  return h % BucketCount;
}

void TArArchiveList::Add(std::unique_ptr<TArZipItem> item) {
  FBuckets[Bucket(item->FileName)].push_back(Count());
  FItems.push_back(std::move(item));
}

void TArArchiveList::Clear() {
  FItems.clear();
  for (auto& bucket : FBuckets)
    bucket.clear();
}

int TArArchiveList::Find(std::u16string_view name) const {
  for (int index : FBuckets[Bucket(name)]) {
    if (ArSameName(FItems[static_cast<std::size_t>(index)]->FileName, name))
      return index;
  }
  return -1;
}

}  // namespace vornel
