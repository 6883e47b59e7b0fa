// The pure helpers of the bus library: text fields, numbers, base64 and the name table.
#include "Base64.h"
#include "Base64Text.h"
#include "CommaLocale.h"
#include "Names.h"
#include "Numbers.h"
#include "Text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

using namespace kestor;

TEST(KestorText, CopyFieldCutsAtCharacterBoundary) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "abc"},
      {std::string(10, 'x'), std::string(7, 'x')},  // 8-byte field keeps 7 bytes + NUL
      {"abcdef\xC3\xA9", "abcdef"},                 // a 2-byte character would not fit whole
      {"ab\xE2\x82\xAC"
       "cd",
       "ab\xE2\x82\xAC"
       "cd"},                              // 7 bytes fit
      {"abcde\xF0\x9F\x98\x80", "abcde"},  // a 4-byte character is dropped whole
  };
  for (const auto &[text, expected] : cases) {
    char field[8];
    std::memset(field, 'Z', sizeof field);
    copyField(field, text);
    EXPECT_EQ(std::string(field), expected) << text;
    EXPECT_EQ(field[7], '\0');
  }
}

TEST(KestorText, TrimEscapeAndUtf8) {
  char field[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(fieldText(field), "abcd");  // never read past the field
  EXPECT_EQ(trim("\n  On\n    "), "On");
  EXPECT_EQ(trim("   "), "");
  EXPECT_TRUE(isValidUtf8("Zeiß ✓"));
  for (const char *bad : {"\xFF", "\xC0\x80", "\xED\xA0\x80", "\xE2\x82"})  // overlong, surrogate, cut short
    EXPECT_FALSE(isValidUtf8(bad)) << bad;
  EXPECT_EQ(xmlEscape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(xmlEscape("ok\xFF\x01\tok ✓"), "ok\tok ✓");  // invalid UTF-8 and control characters dropped
}

TEST(KestorNumbers, Parse) {
  const std::pair<const char *, std::optional<double>> cases[] = {
      {"19.569481887035067302", 19.569481887035067},
      {"\n90\n    ", 90},
      {"-5.39", -5.39},
      {"+2", 2},
      {"1e3", 1000},
      {"12:30:00", 12.5},
      {"12:30", 12.5},
      {"-5:23:24", -(5 + 23 / 60.0 + 24 / 3600.0)},
      {"-0:30:00", -0.5},
      {"12 30 00", 12.5},
      {"12;30;36", 12.51},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"1.5x", std::nullopt},
      {"12:", std::nullopt},
      {"12:-30", std::nullopt},
      {"1:2:3:4", std::nullopt},
      {"++1", std::nullopt},
  };
  for (const auto &[text, expected] : cases) {
    const auto value = parseNumber(text);
    ASSERT_EQ(value.has_value(), expected.has_value()) << text;
    if (value) {
      EXPECT_NEAR(*value, *expected, 1e-12) << text;
    }
  }
}

TEST(KestorNumbers, FormatIgnoresTheLocale) {
  if (!useCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma";
  const std::pair<double, const char *> cases[] = {{5.5881, "5.5881"},   {-5.39, "-5.39"}, {1000, "1000"},
                                                   {-0.0005, "-0.0005"}, {1e20, "1e+20"},  {0, "0"}};
  for (const auto &[value, text] : cases) EXPECT_EQ(formatNumber(value), text);
  EXPECT_EQ(parseNumber(formatNumber(0.1 + 0.2)), 0.1 + 0.2);
  useCLocale();
}

namespace {
std::optional<std::string> decode(const std::string &text) {
  std::string out(base64Capacity(text.size()), '\0');
  const auto length = decodeBase64(text, reinterpret_cast<unsigned char *>(out.data()));
  if (!length) return std::nullopt;
  out.resize(*length);
  return out;
}
}  // namespace

TEST(KestorBase64, Decode) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"", ""},
      {"U0lNUExF", "SIMPLE"},
      {"\nU0lN\nUExF\n    ", "SIMPLE"},  // white space anywhere
      {"U0lNUEw=", "SIMPL"},
      {"U0lNUA==", "SIMP"},
      {"U0lNUA", "SIMP"},  // padding left out
      {"U0lNUEw", "SIMPL"},
      {"+/+/", "\xFB\xFF\xBF"},
      {"U0lNU", std::nullopt},  // a lone character
      {"U0lN!EXF", std::nullopt},
      {"U0lNUA==U0lN", std::nullopt},  // data after the padding
      {"U0lNU===", std::nullopt},
      {"=", std::nullopt},
  };
  for (const auto &[text, bytes] : cases) EXPECT_EQ(decode(text), bytes) << text;
}

TEST(KestorBase64, LongInputMatchesByteByByte) {
  std::string bytes;
  for (int i = 0; i < 3001; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 13));
  EXPECT_EQ(decode(encodeBase64(bytes)), bytes);
  EXPECT_EQ(decode(encodeBase64(bytes, 72)), bytes);  // wrapped lines, as some servers send
  EXPECT_EQ(decode(encodeBase64(bytes, 31)), bytes);  // line breaks inside 32-character blocks
}

// Every byte value in one group of long text, in a block of 32 characters decoded at once (the
// first two positions) and in the byte-wise rest (the last): alphabet characters give their bits,
// white space is skipped, anything else is refused.
TEST(KestorBase64, EveryCharacterInLongText) {
  static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (const size_t position : {4, 36, 68}) {
    for (int c = 0; c < 256; ++c) {
      std::string text(100, 'A');
      text[position] = static_cast<char>(c);
      std::optional<std::string> expected;
      if (const size_t sextet = alphabet.find(static_cast<char>(c)); sextet != std::string::npos) {
        expected = std::string(75, '\0');
        (*expected)[position / 4 * 3] = static_cast<char>(sextet << 2);
      } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
        expected = std::string(74, '\0');  // 99 characters: the last group of three gives two bytes
      }
      EXPECT_EQ(decode(text), expected) << "byte " << c << " at " << position;
    }
  }
}

// The same text handed over in pieces of every size gives the same bytes, whether the pieces split
// groups and blocks or not.
TEST(KestorBase64, PiecesOfAnySize) {
  std::string bytes;
  for (int i = 0; i < 2000; ++i) bytes.push_back(static_cast<char>(i * 31 + i / 7));
  for (const std::string &text : {encodeBase64(bytes), encodeBase64(bytes, 76)}) {
    for (const size_t piece : {1, 3, 5, 31, 47, 48, 49, 64, 100, 1000}) {
      Base64Decoder decoder;
      std::string out(base64Capacity(text.size()) + 4, '\0');
      auto *at = reinterpret_cast<unsigned char *>(out.data());
      size_t length = 0;
      for (size_t i = 0; i < text.size(); i += piece) {
        std::vector<unsigned char> room(base64Capacity(piece));
        const auto decoded = decoder.decode(std::string_view(text).substr(i, piece), room.data());
        ASSERT_TRUE(decoded) << piece;
        std::memcpy(at + length, room.data(), *decoded);
        length += *decoded;
      }
      const auto tail = decoder.finish(at + length);
      ASSERT_TRUE(tail) << piece;
      out.resize(length + *tail);
      EXPECT_EQ(out, bytes) << piece;
    }
  }
}

TEST(KestorNames, TranslatedBothWays) {
  const std::pair<const char *, const char *> properties[] = {
      {"CONNECTION", "CONNECTION"},
      {"EQUATORIAL_EOD_COORD", "MOUNT_EQUATORIAL_COORDINATES"},
      {"GEOGRAPHIC_COORD", "GEOGRAPHIC_COORDINATES"},
      {"HORIZONTAL_COORD", "MOUNT_HORIZONTAL_COORDINATES"},
      {"CCD_EXPOSURE", "CCD_EXPOSURE"},
  };
  for (const auto &[server, bus] : properties) {
    EXPECT_EQ(translateProperty(server, Direction::FromServer), bus);
    EXPECT_EQ(translateProperty(bus, Direction::ToServer), server);
  }
  const std::tuple<const char *, const char *, const char *> items[] = {
      {"CONNECTION", "CONNECT", "CONNECTED"},
      {"CONNECTION", "DISCONNECT", "DISCONNECTED"},
      {"GEOGRAPHIC_COORD", "LAT", "LATITUDE"},
      {"GEOGRAPHIC_COORD", "LONG", "LONGITUDE"},
      {"GEOGRAPHIC_COORD", "ELEV", "ELEVATION"},
      {"EQUATORIAL_EOD_COORD", "RA", "RA"},
      {"CCD_FRAME", "LAT", "LAT"},  // only the table's own properties
  };
  for (const auto &[property, server, bus] : items) {
    EXPECT_EQ(translateItem(property, server, Direction::FromServer), bus);
    EXPECT_EQ(translateItem(translateProperty(property, Direction::FromServer), bus, Direction::ToServer), server);
  }
}
