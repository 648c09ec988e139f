// A list kept in insertion order whose entries are also found by name without
// regard to letter case, so lookups and removals stay cheap in huge channels.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Letter case folded the way ZoSameName compares.
struct ZoFoldHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const;
};
struct ZoFoldEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// `nameOf` gives an entry's name, null for the vacant state a default-made
// `Entry` is in. Removal leaves a vacant slot; slots are squeezed out before
// the list is read or when they make up half of it.
template <typename Entry, const char* (*nameOf)(const Entry&)>
class CZoNameIndex {
 public:
  // Insertion order, without vacant slots.
  const std::vector<Entry>& Entries() const {
    Squeeze();
    return entries_;
  }
  size_t Size() const { return entries_.size() - vacant_; }

  // The entry of that name or null; `position` receives its place in Entries().
  Entry* Find(const char* name, int* position = nullptr) const {
    if (!name || !*name) return nullptr;
    if (position) Squeeze();
    const auto found = index_.find(std::string_view(name));
    if (found == index_.end()) return nullptr;
    if (position) *position = static_cast<int>(found->second);
    return &entries_[found->second];
  }

  // The caller has made sure the name is not present.
  Entry& Append(const char* name, Entry entry) {
    index_.emplace(name, entries_.size());
    entries_.push_back(std::move(entry));
    return entries_.back();
  }

  void Remove(const char* name) {
    const auto found = index_.find(std::string_view(name ? name : ""));
    if (found == index_.end()) return;
    entries_[found->second] = Entry{};
    ++vacant_;
    index_.erase(found);
    if (vacant_ * 2 > entries_.size()) Squeeze();
  }

  // The caller has made sure `newName` is free or names the same entry.
  void Rename(const char* oldName, const char* newName) {
    const auto found = index_.find(std::string_view(oldName ? oldName : ""));
    if (found == index_.end()) return;
    const size_t at = found->second;
    index_.erase(found);
    index_.emplace(newName, at);
  }

  void Clear() {
    entries_.clear();
    index_.clear();
    vacant_ = 0;
  }

 private:
  void Squeeze() const {
    if (vacant_ == 0) return;
    size_t kept = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (!nameOf(entries_[i])) continue;
      if (kept != i) entries_[kept] = std::move(entries_[i]);
      ++kept;
    }
    entries_.resize(kept);
    vacant_ = 0;
    for (size_t i = 0; i < kept; ++i) index_.find(std::string_view(nameOf(entries_[i])))->second = i;
  }

  mutable std::vector<Entry> entries_;
  mutable std::unordered_map<std::string, size_t, ZoFoldHash, ZoFoldEqual> index_;
  mutable size_t vacant_ = 0;
};
