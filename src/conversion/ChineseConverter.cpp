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

#include "conversion/ChineseDictionary.h"

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

// Adds every entry of `dict` (for a group, of each of its dictionaries in order) to
// `dictionary`: a key already there keeps its value, as in OpenCC's groups.
void AddEntries(const opencc::DictPtr& dict, ChineseDictionary* dictionary) {
  if (const auto group = std::dynamic_pointer_cast<opencc::DictGroup>(dict)) {
    for (const opencc::DictPtr& member : group->GetDicts()) AddEntries(member, dictionary);
    return;
  }
  for (const std::unique_ptr<opencc::DictEntry>& entry : *dict->GetLexicon()) {
    dictionary->AddUtf8(entry->Key(), entry->GetDefault());
  }
}

// Appends `text` converted by `dictionary` to `out`: from each position the longest key
// there gives its value; a character no key begins stays as it is.
void ConvertStep(const ChineseDictionary& dictionary, std::u16string_view text,
                 std::u16string* out) {
  size_t kept = 0;  // where the text not yet appended begins
  std::u16string_view value;
  for (size_t at = 0; at < text.size();) {
    const size_t matched = dictionary.Match(text.substr(at), &value);
    if (matched == 0) {
      at += CharacterLength(text.substr(at));
      continue;
    }
    out->append(text.substr(kept, at - kept));
    out->append(value);
    at += matched;
    kept = at;
  }
  out->append(text.substr(kept));
}

std::unique_ptr<ChineseDictionary> DictionaryOf(const opencc::DictPtr& dict) {
  auto dictionary = std::make_unique<ChineseDictionary>();
  AddEntries(dict, dictionary.get());
  dictionary->Finish();
  return dictionary;
}

}  // namespace

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
    segmentation_ = DictionaryOf(segmentation->GetDict());
    for (const opencc::ConversionPtr& step : converter->GetConversionChain()->GetConversions()) {
      chain_.push_back(DictionaryOf(step->GetDict()));
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
  std::u16string between[2];
  // Converts `piece` through the chain, step after step, and appends it to `out`.
  const auto convert_piece = [&](std::u16string_view piece) {
    if (piece.empty()) return;
    if (chain_.empty()) out->append(piece);
    for (size_t step = 0; step < chain_.size(); ++step) {
      std::u16string* converted = out;
      if (step + 1 < chain_.size()) {
        converted = &between[step % 2];
        converted->clear();
      }
      ConvertStep(*chain_[step], piece, converted);
      piece = *converted;
    }
  };
  // The pieces: each phrase the segmentation dictionary knows, and each run of text between.
  size_t run = 0;
  std::u16string_view ignored;
  for (size_t at = 0; at < text.size();) {
    const size_t matched = segmentation_->Match(text.substr(at), &ignored);
    if (matched == 0) {
      at += CharacterLength(text.substr(at));
      continue;
    }
    convert_piece(text.substr(run, at - run));
    convert_piece(text.substr(at, matched));
    at += matched;
    run = at;
  }
  convert_piece(text.substr(run));
}

std::u16string ChineseConverter::Convert(std::u16string_view text) const {
  std::u16string out;
  Convert(text, &out);
  return out;
}

}  // namespace quireforge
