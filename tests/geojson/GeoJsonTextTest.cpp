// The pieces of the GeoJSON texts and the gzip member.
#include "catalog/GeoJsonGzip.h"
#include "catalog/GeoJsonText.h"

#include "Gunzip.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>


TEST(GeoJsonText, SplitsStarNamesAtTheLastComma) {
  struct Case {
    const char *name;
    const char *proper;
    const char *designation;
  } cases[] = {
      {"α Andromedae, Alpheratz", "Alpheratz", "α Andromedae"},
      {"τ Phoenicis", "", "τ Phoenicis"},
      {nullptr, "", ""},
      {"a, b, Name", "Name", "a, b"},
      {"Ends with comma,", "", "Ends with comma"},  // nothing is read past the end
      {"x,y", "y", "x"},
  };
  for (const Case &c : cases) {
    const auto [proper, designation] = geojson::splitStarName(c.name);
    EXPECT_EQ(proper, c.proper) << (c.name ? c.name : "(none)");
    EXPECT_EQ(designation, c.designation) << (c.name ? c.name : "(none)");
  }
}

TEST(GeoJsonText, LongitudeLiesInTheHalfOpenRange) {
  const std::pair<double, double> cases[] = {{0, 0}, {12, 180}, {13, -165}, {6, 90}, {18, -90}, {23.5, -7.5}};
  for (const auto &[ra, lon] : cases) EXPECT_DOUBLE_EQ(geojson::longitude(ra), lon) << ra;
}

TEST(GeoJsonText, NumbersIgnoreTheLocaleAndEscapesKeepJsonValid) {
  const char *previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when installed; the C locale otherwise
  std::string out;
  geojson::appendNumber(out, 12.34567, 4);
  out += ' ';
  geojson::appendNumber(out, -0.5, 2);
  out += ' ';
  geojson::appendNumber(out, NAN, 2);
  out += ' ';
  geojson::appendNumber(out, INFINITY, 4);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(out, "12.3457 -0.50 null null");

  std::string escaped;
  geojson::appendEscaped(escaped, "a\"b\\c\nd\x01é");
  EXPECT_EQ(escaped, "a\\\"b\\\\c\\nd\\u0001é");
}

TEST(GeoJsonGzip, MemberCarriesTheFileNameAndTheWholeText) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += std::to_string(i * 7919 % 10007) + ",";
  for (const std::string &input : {text, std::string()}) {
    const auto member = gzip_buffer("stars.json", input);
    ASSERT_FALSE(member.empty());
    const Inflated inflated = gunzip(member);
    EXPECT_TRUE(inflated.ok);
    EXPECT_EQ(inflated.text, input);
    EXPECT_EQ(inflated.name, "stars.json");
    EXPECT_EQ(inflated.time, 0u);
    EXPECT_EQ(inflated.os, 0);
  }
}
