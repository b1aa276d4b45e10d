// The message table: texts by code, placeholders filled in order, missing codes named.
#include <gtest/gtest.h>

#include "archive/ArchiveDefaultMessages.h"
#include "archive/ArchiveMessages.h"

namespace quireforge {
namespace {

TEST(ArchiveMessagesTest, MissingCodeNamesTheCode) {
  EXPECT_EQ(ArchiveMessage(11400), "Resource missing for 11400");
  EXPECT_EQ(ArchiveMessage(-5), "Resource missing for -5");
  EXPECT_EQ(FormatArchiveMessage(99999, {"x"}), "Resource missing for 99999");
}

TEST(ArchiveMessagesTest, FillsPlaceholdersInOrderWithoutReexpanding) {
  EXPECT_EQ(FormatArchiveMessage(10124, {"-9"}), "critical DLL Error -9");
  EXPECT_EQ(FormatArchiveMessage(10308, {"/books/"}),
            "Destination directory '/books/' must exist!");
  EXPECT_EQ(FormatArchiveMessage(10126, {"%d", "3"}), "Skipped %d 3");
  EXPECT_EQ(FormatArchiveMessage(10651, {}), "Unable to load %s - It is old or corrupt");
}

TEST(ArchiveMessagesTest, TableIsSortedWithoutDuplicates) {
  auto table = ArchiveDefaultMessages();
  ASSERT_FALSE(table.empty());
  for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].code, table[i].code);
}

}  // namespace
}  // namespace quireforge
