// Listings handed out entry by entry, and the real listings read once.

#include "check/listing_cache.h"

#include <utility>

#include "common/scoped_handles.h"

SearchHandle ListingHandout::Open(std::vector<FindEntry> entries, FindEntry* entry) {
  if (entries.empty()) return kInvalidHandle<SearchHandle>;
  *entry = entries[0];
  const auto search = static_cast<SearchHandle>(nextHandle_++);
  listings_[search] = {std::move(entries), 1};
  return search;
}

bool ListingHandout::Next(SearchHandle search, FindEntry* entry) {
  const auto it = listings_.find(search);
  if (it == listings_.end() || it->second.next >= it->second.entries.size()) return false;
  *entry = it->second.entries[it->second.next++];
  return true;
}

bool ListingHandout::Close(SearchHandle search) {
  return listings_.erase(search) != 0;
}

SearchHandle ListingCache::FindFirst(const char16_t* pattern, FindEntry* entry) {
  auto [it, added] = listings_.try_emplace(pattern);
  if (added) {
    FindEntry found;
    ScopedFind search(real_, real_.FindFirst(pattern, &found));
    if (search.IsOpen()) {
      do {
        it->second.push_back(found);
      } while (real_.FindNext(search.get(), &found));
    }
  }
  return handout_.Open(it->second, entry);
}
