#include "conversion/ChineseDictionary.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "base/Utf.h"

namespace quireforge {

namespace {

constexpr size_t kUnits = 0x10000;

}  // namespace

ChineseDictionary::ChineseDictionary()
    : first_(kUnits, kNone), pairs_((size_t{1} << kPairBits) / 64, 0) {}

void ChineseDictionary::AddPending(size_t key_at, size_t value_at) {
  const size_t end = pending_text_.size();
  if (end > UINT32_MAX) throw std::length_error("The conversion's dictionary is too large.");
  if (value_at == key_at) {  // an empty key
    pending_text_.resize(key_at);
    return;
  }
  pending_.push_back(
      Pending{static_cast<uint32_t>(key_at), static_cast<uint32_t>(value_at - key_at),
              static_cast<uint32_t>(value_at), static_cast<uint32_t>(end - value_at)});
}

void ChineseDictionary::Add(std::u16string_view key, std::u16string_view value) {
  const size_t key_at = pending_text_.size();
  pending_text_ += key;
  const size_t value_at = pending_text_.size();
  pending_text_ += value;
  AddPending(key_at, value_at);
}

void ChineseDictionary::AddUtf8(std::string_view key, std::string_view value) {
  const size_t key_at = pending_text_.size();
  AppendFromUtf8(key, &pending_text_);
  const size_t value_at = pending_text_.size();
  AppendFromUtf8(value, &pending_text_);
  AddPending(key_at, value_at);
}

void ChineseDictionary::Finish() {
  // The keys in order, equal ones in the order they were added; the first of them stays.
  std::vector<uint32_t> order(pending_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
    return PendingKey(pending_[a]) < PendingKey(pending_[b]);
  });
  order.erase(std::unique(order.begin(), order.end(),
                          [this](uint32_t a, uint32_t b) {
                            return PendingKey(pending_[a]) == PendingKey(pending_[b]);
                          }),
              order.end());
  keys_ = order.size();
  for (const uint32_t entry : order) {
    const std::u16string_view key = PendingKey(pending_[entry]);
    if (key.size() < 2) continue;
    const uint32_t bit = PairBit(key[0], key[1]);
    pairs_[bit >> 6] |= uint64_t{1} << (bit & 63);
  }
  size_t value_length = 0;
  for (const uint32_t entry : order) value_length += pending_[entry].value_length;
  values_.reserve(value_length);

  // Node 0 is the root. Each range of sorted keys shares the first `depth` units, the key of
  // its node; the key equal to that prefix (when there is one) sorts first.
  struct Range {
    uint32_t node;
    size_t begin;
    size_t end;
    size_t depth;
  };
  nodes_.assign(1, Node{0, 0, kNone, 0});
  units_.assign(1, 0);
  std::vector<Range> ranges = {Range{0, 0, order.size(), 0}};
  while (!ranges.empty()) {
    Range range = ranges.back();
    ranges.pop_back();
    const auto key = [&](size_t i) { return PendingKey(pending_[order[i]]); };
    if (range.begin < range.end && key(range.begin).size() == range.depth) {
      const Pending& entry = pending_[order[range.begin]];
      nodes_[range.node].value_at = static_cast<uint32_t>(values_.size());
      nodes_[range.node].value_length = entry.value_length;
      values_.append(pending_text_, entry.value_at, entry.value_length);
      ++range.begin;
    }
    // One child for each unit that follows the prefix, next to each other.
    const size_t first_child = nodes_.size();
    for (size_t i = range.begin; i < range.end;) {
      const char16_t unit = key(i)[range.depth];
      size_t next = i + 1;
      while (next < range.end && key(next)[range.depth] == unit) ++next;
      const uint32_t child = static_cast<uint32_t>(nodes_.size());
      nodes_.push_back(Node{0, 0, kNone, 0});
      units_.push_back(unit);
      if (range.depth == 0) first_[unit] = child;
      ranges.push_back(Range{child, i, next, range.depth + 1});
      i = next;
    }
    nodes_[range.node].first_child = static_cast<uint32_t>(first_child);
    nodes_[range.node].child_count = static_cast<uint32_t>(nodes_.size() - first_child);
  }
  pending_ = {};
  pending_text_ = {};
}

size_t ChineseDictionary::Match(std::u16string_view text, std::u16string_view* value) const {
  if (text.empty()) return 0;
  uint32_t at = first_[text[0]];
  if (at == kNone) return 0;
  // Most characters begin no key longer than themselves with the unit that follows them.
  if (text.size() < 2 || nodes_[at].child_count == 0 || !HasPair(text[0], text[1])) {
    const Node& node = nodes_[at];
    if (node.value_at == kNone) return 0;
    *value = std::u16string_view(values_).substr(node.value_at, node.value_length);
    return 1;
  }
  size_t best = 0;
  uint32_t best_node = 0;
  for (size_t length = 1;; ++length) {
    const Node& node = nodes_[at];
    if (node.value_at != kNone) {
      best = length;
      best_node = at;
    }
    if (node.child_count == 0 || length == text.size()) break;
    const char16_t* begin = units_.data() + node.first_child;
    const char16_t* end = begin + node.child_count;
    const char16_t* found = std::lower_bound(begin, end, text[length]);
    if (found == end || *found != text[length]) break;
    at = node.first_child + static_cast<uint32_t>(found - begin);
  }
  if (best != 0) {
    const Node& node = nodes_[best_node];
    *value = std::u16string_view(values_).substr(node.value_at, node.value_length);
  }
  return best;
}

}  // namespace quireforge
