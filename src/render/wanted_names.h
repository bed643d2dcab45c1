#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// The attribute names a display list looks up, each given a small id. Lines of
// a record whose name is not wanted are passed over without being kept.
class WantedNames {
 public:
  static constexpr int kNone = -1;
  int add(std::string_view name);         // the id of name, added when new
  int find(std::string_view name) const;  // the id of name, or kNone
  // find() for a name inside a line held in the read window, which has
  // kLineSlack readable bytes after it: a hash of its length and its first
  // and last eight bytes leads to the one name it can be.
  int find_in_log_line(std::string_view name) const;
  size_t size() const { return names_.size(); }
  std::string_view name(int id) const { return names_[static_cast<size_t>(id)]; }
  // No wanted name is longer than this.
  size_t max_length() const { return max_length_; }

 private:
  // Tells names of up to 32 bytes apart; longer ones share the bytes between.
  struct Key {
    uint64_t head = 0;    // the first eight bytes, zero-padded
    uint64_t tail = 0;    // the last eight bytes of a longer name, else 0
    uint64_t middle = 0;  // of a name longer than 16: the eight bytes from 8
    uint64_t inner = 0;   // and the eight from 16 before its end
    size_t size = 0;
    bool operator==(const Key& other) const {
      return ((head ^ other.head) | (tail ^ other.tail) | (middle ^ other.middle) |
              (inner ^ other.inner) | (size ^ other.size)) == 0;
    }
  };
  struct Slot {
    Key key;
    int id = kNone;
  };
  // The key of a name. find_in_log_line builds the same key its own way,
  // without branches: the two must agree for every size.
  static Key key_of(std::string_view name);
  size_t home(const Key& key) const;
  int match(const Slot& slot, const Key& key, std::string_view name) const;
  void insert(const Key& key, int id);
  bool place_all(size_t slots, uint64_t multiplier);

  std::vector<std::string> names_;
  size_t max_length_ = 0;
  // Open addressing; while every name lies in its home slot (a perfect
  // table), a lookup is a single probe.
  std::vector<Slot> slots_;
  uint64_t multiplier_ = 0;
  int shift_ = 64;
  bool perfect_ = false;
};

// What follows is inline: the display looks up every attribute line it reads.

inline size_t WantedNames::home(const Key& key) const {
  const uint64_t mixed = key.head ^ (key.tail << 29 | key.tail >> 35) ^ key.size;
  return static_cast<size_t>((mixed * multiplier_) >> shift_);
}

// The slot's id when it holds `name`: the key tells names of up to 32 bytes
// apart, and the bytes between its words the longer ones.
inline int WantedNames::match(const Slot& slot, const Key& key, std::string_view name) const {
  if (!(slot.key == key)) return kNone;
  if (key.size > 32 && std::memcmp(names_[static_cast<size_t>(slot.id)].data() + 16,
                                   name.data() + 16, key.size - 32) != 0) {
    return kNone;
  }
  return slot.id;
}

inline int WantedNames::find_in_log_line(std::string_view name) const {
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
  return find(name);  // the words below are read in little-endian order
#endif
  if (!perfect_) return find(name);
  // The key's words are read from the name's start whatever its size, or from
  // further in a longer name, and then kept or cleared: without branches,
  // since names of every size come in any order. A name too long for the
  // table matches no key.
  const char* const at = name.data();
  const size_t size = name.size();
  const uint64_t longer_than_8 = 0 - static_cast<uint64_t>(size > 8);  // all ones or none
  const uint64_t longer_than_16 = 0 - static_cast<uint64_t>(size > 16);
  Key key;
  key.size = size;
  std::memcpy(&key.head, at, 8);
  // Two shifts of half the distance each: an empty name shifts by 64 in all,
  // which one shift may not.
  const size_t head_shift = 32 - 4 * std::min<size_t>(size, 8);
  key.head &= ~uint64_t{0} >> head_shift >> head_shift;
  std::memcpy(&key.tail, at + ((size - 8) & longer_than_8), 8);
  key.tail &= longer_than_8;
  std::memcpy(&key.middle, at + (8 & longer_than_16), 8);
  key.middle &= longer_than_16;
  std::memcpy(&key.inner, at + ((size - 16) & longer_than_16), 8);
  key.inner &= longer_than_16;
  return match(slots_[home(key)], key, name);
}
