#include "render/wanted_names.h"

#include <algorithm>

WantedNames::Key WantedNames::key_of(std::string_view name) {
  Key key;
  key.size = name.size();
  std::memcpy(&key.head, name.data(), std::min<size_t>(name.size(), 8));
  if (name.size() > 8) std::memcpy(&key.tail, name.data() + name.size() - 8, 8);
  if (name.size() > 16) {
    std::memcpy(&key.middle, name.data() + 8, 8);
    std::memcpy(&key.inner, name.data() + name.size() - 16, 8);
  }
  return key;
}

void WantedNames::insert(const Key& key, int id) {
  size_t at = home(key);
  if (slots_[at].id != kNone) perfect_ = false;
  while (slots_[at].id != kNone) at = (at + 1) & (slots_.size() - 1);
  slots_[at] = Slot{key, id};
}

// Places every name in a table of `slots` slots (a power of two) hashed with
// `multiplier`; true when each lies in its home slot.
bool WantedNames::place_all(size_t slots, uint64_t multiplier) {
  slots_.assign(slots, Slot{});
  multiplier_ = multiplier;
  shift_ = 64 - __builtin_ctzll(slots);
  perfect_ = true;
  for (size_t id = 0; id < names_.size(); ++id) insert(key_of(names_[id]), static_cast<int>(id));
  return perfect_;
}

int WantedNames::add(std::string_view name) {
  const int found = find(name);
  if (found != kNone) return found;
  const int id = static_cast<int>(names_.size());
  names_.emplace_back(name);
  max_length_ = std::max(max_length_, name.size());
  // At most a quarter of the slots are taken. A short list is placed anew
  // until a multiplier makes the table perfect; a long one settles for a
  // good table and is placed anew only when it grows.
  const bool is_short = names_.size() <= 64;
  if (4 * names_.size() <= slots_.size()) {
    insert(key_of(name), id);
    if (perfect_ || !is_short) return id;
  }
  size_t slots = 16;
  while (slots < 4 * names_.size()) slots *= 2;
  uint64_t multiplier = 0x9e3779b97f4a7c15u;
  for (int attempt = 0; !place_all(slots, multiplier) && is_short && attempt < 16; ++attempt) {
    multiplier += 0x5851f42d4c957f2eu;  // stays odd
    if (attempt == 7) slots *= 2;
  }
  return id;
}

int WantedNames::find(std::string_view name) const {
  if (slots_.empty() || name.size() > max_length_) return kNone;
  const Key key = key_of(name);
  for (size_t at = home(key);; at = (at + 1) & (slots_.size() - 1)) {
    if (slots_[at].id == kNone) return kNone;
    const int id = match(slots_[at], key, name);
    if (id != kNone) return id;
  }
}
