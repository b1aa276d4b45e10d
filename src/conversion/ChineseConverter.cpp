#include "conversion/ChineseConverter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <opencc/Config.hpp>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/DictEntry.hpp>
#include <opencc/DictGroup.hpp>
#include <opencc/Exception.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MaxMatchSegmentation.hpp>
#include <unordered_map>

#include "base/Utf.h"

namespace quireforge {

namespace {

struct ConversionFacts {
  std::string_view name;
  std::u16string_view language;
};

constexpr std::array<ConversionFacts, 9> kConversions = {{
    {"", u""},
    {"s2t", u"zh-Hant"},
    {"t2s", u"zh-Hans"},
    {"s2tw", u"zh-TW"},
    {"tw2s", u"zh-Hans"},
    {"s2twp", u"zh-TW"},
    {"tw2sp", u"zh-Hans"},
    {"s2hk", u"zh-HK"},
    {"hk2s", u"zh-Hans"},
}};

bool IsLeadSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsTrailSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The length in units of the character `text` starts with: a surrogate pair is one.
size_t CharacterLength(std::u16string_view text) {
  return text.size() > 1 && IsLeadSurrogate(text[0]) && IsTrailSurrogate(text[1]) ? 2 : 1;
}

}  // namespace

// One dictionary, or a group of them, as the longest-prefix match sees it: every key with its
// first value; of equal keys the first dictionary's wins, as in OpenCC's groups. Keys of one
// unit sit in a table indexed by that unit; longer ones in a hash map, tried only up to the
// longest key that begins with the text's first unit.
class ChineseConverter::Dictionary {
 public:
  Dictionary() : single_(kUnits, -1), longest_(kUnits, 0) {}

  // Adds every entry of `dict` (and, for a group, of each of its dictionaries in order) that
  // no earlier entry has the key of. Finish() makes them ready for Match.
  void AddAll(const opencc::DictPtr& dict) {
    if (const auto group = std::dynamic_pointer_cast<opencc::DictGroup>(dict)) {
      for (const opencc::DictPtr& member : group->GetDicts()) AddAll(member);
      return;
    }
    const opencc::LexiconPtr lexicon = dict->GetLexicon();
    pending_.reserve(pending_.size() + lexicon->Length());
    for (const std::unique_ptr<opencc::DictEntry>& entry : *lexicon) {
      pending_.emplace_back(FromUtf8(entry->Key()), FromUtf8(entry->GetDefault()));
    }
  }

  // Files the entries added: their texts in one arena, the phrases in a map sized at once.
  void Finish() {
    size_t length = 0;
    for (const auto& [key, value] : pending_) length += key.size() + value.size();
    arena_.reserve(length);  // never grows past this, so the views into it stay valid
    phrases_.reserve(pending_.size());
    for (const auto& [key, value] : pending_) Add(key, value);
    pending_ = {};
  }

  // The length of the longest key that `text` begins with, its value in `value`; 0 when none.
  size_t Match(std::u16string_view text, std::u16string_view* value) const {
    const char16_t first = text.front();
    for (size_t length = std::min<size_t>(longest_[first], text.size()); length > 1; --length) {
      const auto found = phrases_.find(text.substr(0, length));
      if (found != phrases_.end()) {
        *value = found->second;
        return length;
      }
    }
    if (single_[first] >= 0) {
      const Span& span = singles_[static_cast<size_t>(single_[first])];
      *value = std::u16string_view(arena_).substr(span.at, span.length);
      return 1;
    }
    return 0;
  }

 private:
  static constexpr size_t kUnits = 0x10000;

  struct Span {
    size_t at;
    size_t length;
  };

  // The arena's copy of `text`.
  std::u16string_view Keep(const std::u16string& text) {
    const size_t at = arena_.size();
    arena_ += text;
    return std::u16string_view(arena_).substr(at, text.size());
  }

  void Add(const std::u16string& key, const std::u16string& value) {
    if (key.empty() || key.size() > UINT8_MAX) return;
    const char16_t first = key.front();
    if (key.size() == 1) {
      if (single_[first] >= 0) return;
      single_[first] = static_cast<int32_t>(singles_.size());
      singles_.push_back(Span{arena_.size(), value.size()});
      arena_ += value;
      return;
    }
    if (phrases_.count(key) != 0) return;
    const std::u16string_view stored_key = Keep(key);
    phrases_.emplace(stored_key, Keep(value));
    longest_[first] = std::max<uint8_t>(longest_[first], static_cast<uint8_t>(key.size()));
  }

  std::vector<std::pair<std::u16string, std::u16string>> pending_;
  std::u16string arena_;          // every key and value, once Finish() ran
  std::vector<int32_t> single_;   // by unit: index into singles_, -1 for none
  std::vector<Span> singles_;     // the values of one-unit keys, in the arena
  std::vector<uint8_t> longest_;  // by first unit: the longest key's length
  std::unordered_map<std::u16string_view, std::u16string_view> phrases_;
};

std::string_view ConversionName(ChineseConversion conversion) {
  return kConversions[static_cast<size_t>(conversion)].name;
}

std::u16string_view ConversionLanguage(ChineseConversion conversion) {
  return kConversions[static_cast<size_t>(conversion)].language;
}

ChineseConverter::ChineseConverter(ChineseConversion conversion) {
  const std::string name(ConversionName(conversion));
  const std::string config = name + ".json";
  try {
    opencc::Config loader;
    const opencc::ConverterPtr converter = loader.NewFromFile(config);
    const auto segmentation =
        std::dynamic_pointer_cast<opencc::MaxMatchSegmentation>(converter->GetSegmentation());
    if (!segmentation) throw opencc::InvalidFormat("its segmentation is not by longest match");
    segmentation_ = std::make_unique<Dictionary>();
    segmentation_->AddAll(segmentation->GetDict());
    segmentation_->Finish();
    for (const opencc::ConversionPtr& step : converter->GetConversionChain()->GetConversions()) {
      chain_.push_back(std::make_unique<Dictionary>());
      chain_.back()->AddAll(step->GetDict());
      chain_.back()->Finish();
    }
  } catch (const opencc::Exception& error) {
    throw ChineseConversionError("Cannot convert the text with OpenCC's \"" + name +
                                 "\" conversion. " + error.what());
  }
}

ChineseConverter::~ChineseConverter() = default;

void ChineseConverter::Convert(std::u16string_view text, std::u16string* out) const {
  out->clear();
  out->reserve(text.size());
  std::u16string piece;
  std::u16string converted;
  // Converts text[from, to) through the chain and appends it to `out`.
  const auto convert_piece = [&](size_t from, size_t to) {
    if (from == to) return;
    piece.assign(text.substr(from, to - from));
    for (const std::unique_ptr<Dictionary>& step : chain_) {
      converted.clear();
      for (size_t at = 0; at < piece.size();) {
        std::u16string_view value;
        const std::u16string_view rest = std::u16string_view(piece).substr(at);
        const size_t matched = step->Match(rest, &value);
        if (matched == 0) {
          const size_t length = CharacterLength(rest);
          converted.append(rest.substr(0, length));
          at += length;
        } else {
          converted.append(value);
          at += matched;
        }
      }
      piece.swap(converted);
    }
    out->append(piece);
  };
  // The pieces: each phrase the segmentation dictionary knows, and each run of text between.
  size_t run = 0;
  for (size_t at = 0; at < text.size();) {
    std::u16string_view ignored;
    const size_t matched = segmentation_->Match(text.substr(at), &ignored);
    if (matched == 0) {
      at += CharacterLength(text.substr(at));
      continue;
    }
    convert_piece(run, at);
    convert_piece(at, at + matched);
    at += matched;
    run = at;
  }
  convert_piece(run, text.size());
}

std::u16string ChineseConverter::Convert(std::u16string_view text) const {
  std::u16string out;
  Convert(text, &out);
  return out;
}

}  // namespace quireforge
