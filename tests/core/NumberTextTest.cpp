#include "core/NumberText.h"
#include "core/StrictNumber.h"

#include <QString>

#include <gtest/gtest.h>

#include <cmath>

TEST(StrictNumber, Integers) {
  struct Row { const char16_t *text; std::optional<int32_t> value; } rows[] = {
      {u"32349", 32349}, {u"+5", 5}, {u"-17", -17}, {u"007", 7}, {u"2147483647", 2147483647},
      {u"-2147483648", INT32_MIN}, {u"2147483648", std::nullopt}, {u" 32349", std::nullopt},
      {u"32349 ", std::nullopt}, {u"", std::nullopt}, {u"+", std::nullopt}, {u"+-5", std::nullopt},
      {u"--5", std::nullopt}, {u"abc", std::nullopt}, {u"12a", std::nullopt}, {u"1.5", std::nullopt},
      {u"٣", std::nullopt}, {u"99999999999999999999999", std::nullopt},
  };
  for (const Row &row : rows)
    EXPECT_EQ(StrictNumber::toInt32(QStringView(row.text)), row.value) << QString::fromUtf16(row.text).toStdString();
}

TEST(StrictNumber, WideIntegers) {
  struct Row { const char16_t *text; std::optional<int64_t> value; } rows[] = {
      {u"7624", 7624}, {u"+80", 80}, {u"-1", -1}, {u"9223372036854775807", INT64_MAX},
      {u"-9223372036854775808", INT64_MIN}, {u"9223372036854775808", std::nullopt}, {u"", std::nullopt},
      {u"+", std::nullopt}, {u" 80", std::nullopt}, {u"80 ", std::nullopt}, {u"0x50", std::nullopt},
      {u"99999999999999999999", std::nullopt},
  };
  for (const Row &row : rows)
    EXPECT_EQ(StrictNumber::toInt64(QStringView(row.text)), row.value) << QString::fromUtf16(row.text).toStdString();
}

TEST(StrictNumber, Reals) {
  struct Row { const char16_t *text; std::optional<double> value; } rows[] = {
      {u"10.684708333", 10.684708333}, {u"+41.26875", 41.26875}, {u"-0.5", -0.5}, {u"1e2", 100.0},
      {u".5", 0.5}, {u"3", 3.0}, {u"1,000", std::nullopt}, {u"nan", std::nullopt}, {u"inf", std::nullopt},
      {u"-inf", std::nullopt}, {u"0x10", std::nullopt}, {u"~", std::nullopt}, {u"", std::nullopt},
      {u" 1", std::nullopt}, {u"1.5.2", std::nullopt}, {u"+-1", std::nullopt},
  };
  for (const Row &row : rows)
    EXPECT_EQ(StrictNumber::toDouble(QStringView(row.text)), row.value) << QString::fromUtf16(row.text).toStdString();
}

TEST(StrictNumber, TrimsOnlyBlanksAndTabs) {
  EXPECT_EQ(StrictNumber::trimBlanks(u" \t12 \t"), u"12");
  EXPECT_EQ(StrictNumber::trimBlanks(u"\n12"), u"\n12");
  EXPECT_EQ(StrictNumber::trimBlanks(u"   "), u"");
}

TEST(NumberText, FormatsAndReadsNumbers) {
  struct Row {
    double value;
    const char *format;
    const char *text;
  };
  for (const Row &row : {Row{12.5, "%010.6m", "12:30:00.0"}, Row{1.5, "%g", "1.5"}, Row{2.0, "%g", "2"},
                         Row{0.25, "%.2f", "0.25"}, Row{-3.1234567, "%g", "-3.123457"}, Row{1e7, "%g", "10000000"}}) {
    EXPECT_EQ(numberText(row.value, QLatin1String(row.format)), QLatin1String(row.text)) << row.text;
  }
}
