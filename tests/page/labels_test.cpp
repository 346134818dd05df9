#include "page/labels.h"

#include <gtest/gtest.h>

#include <limits>

namespace page {
namespace {

TEST(ColumnLabels, OffsetsAndWaveNumbersOfKnownColumns) {
  struct Expected {
    int page, column;
    const char *hex, *decimal, *wave;
  };
  const Expected table[] = {
      {0, 0, "300h", "768d", "000"},      {0, 7, "4C0h", "1216d", "007"},
      {1, 0, "500h", "1280d", "008"},     {12, 5, "1C40h", "7232d", "101"},
      {15, 3, "21C0h", "8640d", "123"},   {30, 4, "4000h", "16384d", "244"},
      {30, 7, "40C0h", "16576d", "247"},
  };
  for (const Expected& row : table) {
    const ColumnLabels labels = column_labels(row.page, row.column);
    EXPECT_EQ(labels.hex_offset, row.hex) << row.page << "/" << row.column;
    EXPECT_EQ(labels.decimal_offset, row.decimal) << row.page << "/" << row.column;
    EXPECT_EQ(labels.wave_number, row.wave) << row.page << "/" << row.column;
  }
  // Arithmetic is 64-bit, so even the extremes of the arguments give exact texts.
  const ColumnLabels far = column_labels(std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
  EXPECT_EQ(far.decimal_offset, "1236950581440d");
  EXPECT_EQ(far.hex_offset, "120000000C0h");
  EXPECT_EQ(far.wave_number, "193");  // 19327352823, cut to the field
  EXPECT_EQ(column_labels(0, -13).wave_number, "-13");
}

TEST(HexText, DigitsWithoutLeadingZerosAndNegativesAsTheirPattern) {
  EXPECT_EQ(hex_text(0), "0");
  EXPECT_EQ(hex_text(255), "FF");
  EXPECT_EQ(hex_text(0x10), "10");
  EXPECT_EQ(hex_text(0x4000), "4000");
  EXPECT_EQ(hex_text(-1), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(hex_text(std::numeric_limits<std::int64_t>::min()), "8000000000000000");
  EXPECT_EQ(hex_text(std::numeric_limits<std::int64_t>::max()), "7FFFFFFFFFFFFFFF");
}

TEST(DecimalText, BothPathsAndTheirLimits) {
  EXPECT_EQ(decimal_text(0), "0");
  EXPECT_EQ(decimal_text(7), "7");
  EXPECT_EQ(decimal_text(-1), "-1");
  EXPECT_EQ(decimal_text(16576), "16576");
  EXPECT_EQ(decimal_text(std::numeric_limits<std::int32_t>::max()), "2147483647");
  EXPECT_EQ(decimal_text(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  EXPECT_EQ(decimal_text(std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1), "2147483648");
  EXPECT_EQ(decimal_text(std::int64_t{std::numeric_limits<std::int32_t>::min()} - 1), "-2147483649");
  EXPECT_EQ(decimal_text(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
  EXPECT_EQ(decimal_text(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(PadLeft, FillsCutsAndHandlesEmptyFields) {
  EXPECT_EQ(pad_left("7", 3, "0"), "007");
  EXPECT_EQ(pad_left("123", 3, "0"), "123");
  EXPECT_EQ(pad_left("1234", 3, "0"), "123");
  EXPECT_EQ(pad_left("", 3, "0"), "000");
  EXPECT_EQ(pad_left("-5", 3, "0"), "0-5");
  EXPECT_EQ(pad_left("7", 3), "  7");
  EXPECT_EQ(pad_left("7", 3, "xyz"), "xx7");
  EXPECT_EQ(pad_left("7", 3, ""), "  7");
  EXPECT_EQ(pad_left("abc", 0, "0"), "");
  EXPECT_EQ(pad_left("abc", -4, "0"), "");
  EXPECT_EQ(pad_left("abc", std::numeric_limits<int>::min()), "");
}

}  // namespace
}  // namespace page
