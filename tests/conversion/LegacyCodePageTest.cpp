// Choosing the legacy code page: the locale's Windows ANSI code page (from LC_ALL, LC_CTYPE
// or LANG), and the refusal of names that are unknown or not ASCII-compatible.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unicode/ucnv.h>

#include <map>

#include "TestSupport.h"
#include "conversion/LegacyCodePage.h"

namespace quireforge {
namespace {

// The text of the error that choosing the code page `name` raises, or "no error".
std::string ErrorOf(const std::string& name) {
  return test::ErrorOf<CodePageError>([&] { LegacyCodePage code_page(name); });
}

TEST(LegacyCodePageTest, LocaleGivesItsWindowsAnsiCodePage) {
  const std::map<std::string, std::string> expected = {
      {"zh_CN.UTF-8", "GB18030"},
      {"zh_SG", "GB18030"},
      {"zh_TW.Big5", "Big5"},
      {"zh_HK.UTF-8", "Big5"},
      {"zh", "windows-1252"},
      {"ja_JP.UTF-8", "Shift_JIS"},
      {"ko_KR.eucKR", "windows-949"},
      {"ru_RU.UTF-8", "windows-1251"},
      {"uk_UA", "windows-1251"},
      {"bg_BG", "windows-1251"},
      {"sr_RS@latin", "windows-1251"},
      {"cs_CZ", "windows-1250"},
      {"pl_PL", "windows-1250"},
      {"hu_HU", "windows-1250"},
      {"sk_SK", "windows-1250"},
      {"sl_SI", "windows-1250"},
      {"hr_HR", "windows-1250"},
      {"ro_RO", "windows-1250"},
      {"el_GR", "windows-1253"},
      {"tr_TR", "windows-1254"},
      {"he_IL", "windows-1255"},
      {"ar_EG", "windows-1256"},
      {"lt_LT", "windows-1257"},
      {"lv_LV", "windows-1257"},
      {"et_EE", "windows-1257"},
      {"vi_VN", "windows-1258"},
      {"th_TH", "windows-874"},
      {"de_DE.UTF-8", "windows-1252"},
      {"C", "windows-1252"},
      {"POSIX", "windows-1252"},
      {"", "windows-1252"},
      {"C.UTF-8", "windows-1252"},
  };
  for (const auto& [locale, code_page] : expected) {
    EXPECT_EQ(LegacyCodePage::NameForLocale(locale), code_page) << locale;
  }
}

TEST(LegacyCodePageTest, EveryLocaleDefaultIsUsable) {
  for (const char* name :
       {"GB18030", "Big5", "Shift_JIS", "windows-949", "windows-1250", "windows-1251",
        "windows-1252", "windows-1253", "windows-1254", "windows-1255", "windows-1256",
        "windows-1257", "windows-1258", "windows-874"}) {
    EXPECT_EQ(ErrorOf(name), "no error") << name;
  }
}

TEST(LegacyCodePageTest, LocaleFromLcAllThenLcCtypeThenLang) {
  test::ScopedEnvironment environment;
  environment.Set("QUIREFORGE_CODEPAGE", "windows-1251");  // names no locale
  environment.Set("LC_ALL", "zh_CN.UTF-8");
  environment.Set("LC_CTYPE", "ja_JP.UTF-8");
  environment.Set("LANG", "ko_KR.UTF-8");
  EXPECT_EQ(LegacyCodePage::LocaleName(), "GB18030");
  environment.Set("LC_ALL", "");
  EXPECT_EQ(LegacyCodePage::LocaleName(), "Shift_JIS");
  environment.Set("LC_CTYPE", nullptr);
  EXPECT_EQ(LegacyCodePage::LocaleName(), "windows-949");
  environment.Set("LANG", nullptr);
  EXPECT_EQ(LegacyCodePage::LocaleName(), "windows-1252");
}

TEST(LegacyCodePageTest, RefusesUnknownAndNonAsciiCodePagesByName) {
  EXPECT_EQ(ErrorOf("no-such-page"), "Unknown code page \"no-such-page\".");
  EXPECT_EQ(ErrorOf(""), "Unknown code page \"\".");
  EXPECT_EQ(ErrorOf("UTF-16"), "Code page \"UTF-16\" is not ASCII-compatible.");
  EXPECT_EQ(ErrorOf("ibm-037"), "Code page \"ibm-037\" is not ASCII-compatible.");
  EXPECT_EQ(ErrorOf("ISO-2022-JP"), "Code page \"ISO-2022-JP\" is not ASCII-compatible.");
  EXPECT_EQ(ErrorOf("UTF-7"), "Code page \"UTF-7\" is not ASCII-compatible.");
  // The IBM Shift_JIS table with the yen sign at 5C would corrupt every backslash.
  EXPECT_EQ(ErrorOf("ibm-943_P130-1999"),
            "Code page \"ibm-943_P130-1999\" is not ASCII-compatible.");
  EXPECT_EQ(ErrorOf("HZ"), "Code page \"HZ\" is not ASCII-compatible.");
  EXPECT_EQ(ErrorOf("UTF-8"), "no error");
}

TEST(LegacyCodePageTest, SubstitutesInsteadOfFailing) {
  LegacyCodePage gb18030("GB18030");
  std::u16string text;
  gb18030.Decode(
      "\xB5\xDA\xFF"
      "A\x81",
      &text);
  EXPECT_EQ(text, u"第\uFFFDA\uFFFD");
  std::string bytes;
  gb18030.Encode(u"第😀", &bytes);
  EXPECT_EQ(bytes, "\xB5\xDA\x94\x39\xFC\x36");
  LegacyCodePage latin("windows-1252");
  bytes.clear();
  latin.Encode(u"é中\xD800", &bytes);
  EXPECT_EQ(bytes, "\xE9\x1A\x1A");
}

TEST(LegacyCodePageTest, LargeTextsDecodeAsInOnePass) {
  // Over the size from which two threads share the work; the cut falls after a line feed,
  // with characters cut short and invalid bytes around it.
  for (const char* name : {"GB18030", "Shift_JIS", "windows-1252"}) {
    LegacyCodePage code_page(name);
    std::string bytes;
    const std::string line = "\xB5\xDA\xD2\xBB\xD5\xC2\x81\x30\x81\x30 text \xFF\x81\r\n";
    while (bytes.size() < (size_t{9} << 20)) bytes += line;
    bytes += "\xB5";  // a character cut short by the end of the file

    std::u16string decoded;
    code_page.Decode(bytes, &decoded);

    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &status);
    ASSERT_TRUE(U_SUCCESS(status));
    std::u16string expected(bytes.size() + 1, u'\0');
    const int32_t length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(expected.data()),
                                         static_cast<int32_t>(expected.size()), bytes.data(),
                                         static_cast<int32_t>(bytes.size()), &status);
    ucnv_close(converter);
    ASSERT_TRUE(U_SUCCESS(status)) << name;
    expected.resize(static_cast<size_t>(length));
    EXPECT_TRUE(decoded == expected) << name;
  }
}

}  // namespace
}  // namespace quireforge
