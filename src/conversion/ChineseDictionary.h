// One dictionary of the Chinese script conversions (or a group of them) as longest-prefix
// matching sees it: every key with its value, of equal keys the first added winning. The keys
// sit in a trie over UTF-16 units, reached through a table indexed by the first unit, each
// node's children sorted by unit; a match walks from the text's first unit only as far as some
// key goes, so a character that starts no phrase costs one look in the table; a filter of the
// keys' first two units spares the trie most characters that start phrases but none of them
// here. Filled with Add, built by Finish, then read-only: Match is const and may be called
// from any thread.
#ifndef QUIREFORGE_CONVERSION_CHINESEDICTIONARY_H_
#define QUIREFORGE_CONVERSION_CHINESEDICTIONARY_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quireforge {

class ChineseDictionary {
 public:
  ChineseDictionary();

  // Adds `key` with `value` unless an equal key was added before; an empty key is ignored.
  // Only before Finish.
  void Add(std::u16string_view key, std::u16string_view value);
  // Adds a key and value given in UTF-8 (malformed sequences become U+FFFD).
  void AddUtf8(std::string_view key, std::string_view value);

  // Builds the trie of the keys added and lets their texts go.
  void Finish();

  // The length in units of the longest key `text` begins with, its value in `value` (a view
  // into this dictionary); 0 when no key begins the text.
  size_t Match(std::u16string_view text, std::u16string_view* value) const;

  // How many distinct keys the dictionary holds, once finished.
  size_t size() const { return keys_; }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;

  // A key and its value as added, in pending_text_.
  struct Pending {
    uint32_t key_at;
    uint32_t key_length;
    uint32_t value_at;
    uint32_t value_length;
  };

  // A node: the key that leads to it (its unit in units_), its children next to each other in
  // nodes_, and the value of the key it ends, if one does (value_at kNone when none).
  struct Node {
    uint32_t first_child;
    uint32_t child_count;
    uint32_t value_at;  // in values_
    uint32_t value_length;
  };

  std::u16string_view PendingKey(const Pending& entry) const {
    return std::u16string_view(pending_text_).substr(entry.key_at, entry.key_length);
  }
  void AddPending(size_t key_at, size_t value_at);
  // The bit of pairs_ that the units `a` then `b` set.
  static uint32_t PairBit(char16_t a, char16_t b) {
    return ((uint32_t{a} << 16 | b) * 2654435761u) >> (32 - kPairBits);
  }
  bool HasPair(char16_t a, char16_t b) const {
    const uint32_t bit = PairBit(a, b);
    return (pairs_[bit >> 6] >> (bit & 63) & 1) != 0;
  }

  static constexpr int kPairBits = 18;

  std::u16string pending_text_;  // keys and values as added, until Finish
  std::vector<Pending> pending_;
  std::vector<uint32_t> first_;  // by first unit: its node, or kNone
  std::vector<uint64_t> pairs_;  // bits by PairBit: set for the first two units of every key
  std::vector<Node> nodes_;
  std::vector<char16_t> units_;  // by node: the unit of the edge into it
  std::u16string values_;
  size_t keys_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_CHINESEDICTIONARY_H_
