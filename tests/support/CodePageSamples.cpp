#include "CodePageSamples.h"

#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <memory>
#include <stdexcept>

#include "TestSupport.h"

namespace quireforge::test {

namespace {

// Paragraphs written for these tests.
constexpr const char* kJapanese =
    "第一章　駅へ\r\n"
    "朝早く、私は駅へ向かって歩いていた。空はまだ薄暗く、通りには人の姿がほとんどなかった。"
    "パン屋の前を通ると、焼きたてのパンの香りが漂ってきて、思わず足を止めてしまった。\r\n"
    "電車の中では、多くの人が静かに本を読んだり、携帯電話を見たりしていた。窓の外には田んぼ"
    "が広がり、遠くの山々が朝日に照らされて輝いていた。私はこの景色がとても好きだ。\r\n"
    "第二章　会社\r\n"
    "会社に着くと、同僚の田中さんがもうコーヒーを飲みながら仕事を始めていた。今日は大事な会"
    "議があるので、みんな少し緊張しているようだった。\r\n";

constexpr const char* kKorean =
    "아침 일찍 나는 시장에 가기 위해 집을 나섰다. 하늘은 맑았고 바람은 시원했다. 길가에는 "
    "작은 꽃들이 피어 있었고, 아이들은 학교에 가면서 즐겁게 이야기를 나누고 있었다.\r\n"
    "\r\n"
    "시장에 도착하자 사람들이 많이 모여 있었다. 상인들은 큰 목소리로 손님을 부르고, 신선한 "
    "채소와 과일이 가득 쌓여 있었다. 나는 사과 몇 개와 배추 한 포기를 샀다.\r\n"
    "\r\n"
    "집으로 돌아오는 길에 오랜 친구를 만났다. 우리는 근처 찻집에 들어가 따뜻한 차를 마시며 "
    "지난 이야기를 나누었다. 시간이 어떻게 지나갔는지 모를 정도로 즐거운 오후였다.\r\n";

constexpr const char* kFrench =
    "Le matin, la petite ville s’éveille lentement. Les boulangers ouvrent leurs boutiques et "
    "l’odeur du pain chaud se répand dans les rues étroites. Les enfants se dépêchent d’aller à "
    "l’école, leurs cartables sur le dos, tandis que les cafés accueillent les premiers "
    "clients.\r\n"
    "\r\n"
    "Au marché, les marchands installent leurs étals de légumes, de fromages et de fleurs. On "
    "entend des éclats de voix, des rires et le bruit des caisses qu’on décharge. Une vieille "
    "dame choisit soigneusement ses pêches, en prenant tout son temps.\r\n"
    "\r\n"
    "L’après-midi, le soleil réchauffe les façades des maisons. Sur la place, des hommes âgés "
    "jouent aux boules à l’ombre des platanes, et les touristes s’arrêtent pour prendre des "
    "photos de l’église, dont le clocher domine la vallée depuis des siècles.\r\n"
    "\r\n"
    "« C’est la plus belle saison de l’année », dit-elle avec un sourire… Son cœur était "
    "léger.\r\n";

CodePageSample Make(std::string label, std::string code_page, std::string text,
                    const std::string& encoding) {
  CodePageSample sample{std::move(label), std::move(code_page), std::move(text), ""};
  sample.bytes = EncodeIn(encoding, sample.text);
  return sample;
}

// The first `characters` characters of `utf8` from the first `from` on.
std::string Cut(const std::string& utf8, const std::string& from, int32_t characters) {
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  const int32_t start = text.indexOf(icu::UnicodeString::fromUTF8(from));
  if (start < 0) throw std::runtime_error("not in the text: " + from);
  std::string out;
  text.tempSubString(start, characters).toUTF8String(out);
  return out;
}

// `utf8` in traditional characters, by ICU's Hans-Hant transliteration.
std::string Traditional(const std::string& utf8) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> hant(icu::Transliterator::createInstance(
      icu::UnicodeString::fromUTF8("Hans-Hant"), UTRANS_FORWARD, status));
  if (U_FAILURE(status)) throw std::runtime_error("no Hans-Hant transliteration in ICU");
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  hant->transliterate(text);
  std::string out;
  text.toUTF8String(out);
  return out;
}

}  // namespace

std::string CorpusText(const std::string& file_name) {
  return ReadFile(std::filesystem::path(QF_CORPUS_DIR) / file_name);
}

std::string EncodeIn(const std::string& code_page, const std::string& utf8) {
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(code_page.c_str(), &status);
  if (U_FAILURE(status)) throw std::runtime_error("no ICU converter " + code_page);
  std::string bytes(static_cast<size_t>(text.length()) * 4 + 16, '\0');
  const int32_t length =
      ucnv_fromUChars(converter, bytes.data(), static_cast<int32_t>(bytes.size()), text.getBuffer(),
                      text.length(), &status);
  ucnv_close(converter);
  if (U_FAILURE(status)) throw std::runtime_error("cannot encode in " + code_page);
  bytes.resize(static_cast<size_t>(length));
  return bytes;
}

const CodePageSample& Gb18030Novel() {
  static const CodePageSample sample =
      Make("GB18030 novel", "GB18030", CorpusText("西游记.txt"), "GB18030");
  return sample;
}

const CodePageSample& Gb18030Piece() {
  static const CodePageSample sample =
      Make("GB18030 piece", "GB18030", Cut(CorpusText("西游记.txt"), "第一回", 500), "GB18030");
  return sample;
}

const CodePageSample& Big5Text() {
  static const CodePageSample sample = [] {
    const std::string novel = CorpusText("西游记.txt");
    const size_t end = novel.find("\r\n", 150000);
    // Big5 has no room for a few rare characters: the text is what a Big5 file holds.
    CodePageSample big5 = Make("Big5 text", "Big5", Traditional(novel.substr(0, end + 2)), "Big5");
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("Big5", &status);
    icu::UnicodeString decoded(big5.bytes.data(), static_cast<int32_t>(big5.bytes.size()),
                               converter, status);
    ucnv_close(converter);
    big5.text.clear();
    decoded.toUTF8String(big5.text);
    return big5;
  }();
  return sample;
}

const CodePageSample& ShiftJisText() {
  static const CodePageSample sample = Make("Shift_JIS text", "Shift_JIS", kJapanese, "Shift_JIS");
  return sample;
}

const CodePageSample& EucKrText() {
  static const CodePageSample sample = Make("EUC-KR text", "windows-949", kKorean, "EUC-KR");
  return sample;
}

const CodePageSample& Windows1252Text() {
  static const CodePageSample sample =
      Make("windows-1252 text", "windows-1252", kFrench, "windows-1252");
  return sample;
}

std::vector<const CodePageSample*> AllCodePageSamples() {
  return {&Gb18030Novel(), &Gb18030Piece(), &Big5Text(),
          &ShiftJisText(), &EucKrText(),    &Windows1252Text()};
}

}  // namespace quireforge::test
