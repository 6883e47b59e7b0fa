#include "core/NumberText.h"
#include "core/StrictNumber.h"

#include <gtest/gtest.h>

namespace {

const auto NONE = std::nullopt;

// Each row is read as a 32-bit and as a 64-bit integer.
TEST(StrictNumber, Integers) {
  const struct { const char16_t *text; std::optional<int32_t> narrow; std::optional<int64_t> wide; } rows[] = {
      {u"32349", 32349, 32349}, {u"+5", 5, 5}, {u"-17", -17, -17}, {u"007", 7, 7}, {u"2147483647", INT32_MAX, INT32_MAX},
      {u"-2147483648", INT32_MIN, INT32_MIN}, {u"2147483648", NONE, 2147483648}, {u"9223372036854775807", NONE, INT64_MAX},
      {u"-9223372036854775808", NONE, INT64_MIN}, {u"9223372036854775808", NONE, NONE}, {u" 32349", NONE, NONE},
      {u"32349 ", NONE, NONE}, {u"", NONE, NONE}, {u"+", NONE, NONE}, {u"+-5", NONE, NONE}, {u"--5", NONE, NONE},
      {u"abc", NONE, NONE}, {u"12a", NONE, NONE}, {u"1.5", NONE, NONE}, {u"٣", NONE, NONE}, {u"0x50", NONE, NONE},
      {u"99999999999999999999999", NONE, NONE},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(QString::fromUtf16(row.text).toStdString());
    EXPECT_EQ(StrictNumber::toInt32(row.text), row.narrow);
    EXPECT_EQ(StrictNumber::toInt64(row.text), row.wide);
  }
}

TEST(StrictNumber, Reals) {
  const struct { const char16_t *text; std::optional<double> value; } rows[] = {
      {u"10.684708333", 10.684708333}, {u"+41.26875", 41.26875}, {u"-0.5", -0.5}, {u"1e2", 100.0}, {u".5", 0.5},
      {u"3", 3.0}, {u"1,000", NONE}, {u"nan", NONE}, {u"inf", NONE}, {u"-inf", NONE}, {u"0x10", NONE}, {u"~", NONE},
      {u"", NONE}, {u" 1", NONE}, {u"1.5.2", NONE}, {u"+-1", NONE},
  };
  for (const auto &row : rows) EXPECT_EQ(StrictNumber::toDouble(row.text), row.value) << QString::fromUtf16(row.text).toStdString();
  EXPECT_EQ(StrictNumber::trimBlanks(u" \t12 \t"), u"12");
  EXPECT_EQ(StrictNumber::trimBlanks(u"\n12"), u"\n12");
  EXPECT_EQ(StrictNumber::trimBlanks(u"   "), u"");
}

TEST(NumberText, FormatsAndReadsNumbers) {
  const struct { double value; const char *format, *text; } shown[] = {
      {12.5, "%010.6m", "12:30:00.0"}, {1.5, "%g", "1.5"}, {2.0, "%g", "2"}, {0.25, "%.2f", "0.25"},
      {-3.1234567, "%g", "-3.123457"}, {1e7, "%g", "10000000"}, {NAN, "%g", "NaN"}, {-INFINITY, "%g", "-∞"},
  };
  for (const auto &row : shown) EXPECT_EQ(numberText(row.value, QLatin1String(row.format)), QString::fromUtf8(row.text));
  const struct { const char *text, *format; std::optional<double> value; } read[] = {
      {"12:30", "%9.6m", 12.5}, {"-1 30 0", "%9.6m", -1.5}, {"12:30x", "%9.6m", NONE}, {"1:2:3:4", "%9.6m", NONE},
      {"::", "%9.6m", NONE}, {"1e999", "%9.6m", NONE}, {" 1.5 ", "%g", 1.5}, {"1.5x", "%g", NONE}, {"inf", "%g", NONE},
  };
  for (const auto &row : read) EXPECT_EQ(parseTarget(QLatin1String(row.text), QLatin1String(row.format)), row.value) << row.text;
}

}  // namespace
