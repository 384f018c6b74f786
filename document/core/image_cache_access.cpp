#include "document/core/image_cache_access.h"

std::string ImageCacheKey(const std::string& Name) {
  size_t first = 0, last = Name.size();
  while (first < last && static_cast<unsigned char>(Name[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(Name[last - 1]) <= 32) --last;
  std::string key = Name.substr(first, last - first);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return key;
}
