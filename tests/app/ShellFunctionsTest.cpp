// The small pure pieces of the application shell: system version, banner, documentation
// address, organisation name, log file contents.
#include "app/ApplicationIdentity.h"
#include "app/DocumentationPage.h"
#include "app/LogFile.h"
#include "app/SystemVersion.h"
#include "app/VersionBanner.h"

#include <gtest/gtest.h>

namespace {

struct VersionCase {
  const char *release;
  SystemVersion expected;
};

class SystemVersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(SystemVersionTest, ReadsThreeLeadingNumbers) {
  EXPECT_EQ(parseSystemVersion(QString::fromLatin1(GetParam().release)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Releases, SystemVersionTest,
                         testing::Values(VersionCase{"6.1.0-18-amd64", {6, 1, 0}},
                                         VersionCase{"6.18.44-fc-v1300", {6, 18, 44}},
                                         VersionCase{"5.10", {5, 10, 0}}, VersionCase{"7", {7, 0, 0}},
                                         VersionCase{"", {0, 0, 0}}, VersionCase{"x.y.z", {0, 0, 0}},
                                         VersionCase{"10.13.6", {10, 13, 6}}));

TEST(SystemVersionTest, StoredBackgroundAppliesBelowMinorFourteenWhateverTheMajor) {
  EXPECT_TRUE(usesStoredBackground({10, 13, 0}));
  EXPECT_TRUE(usesStoredBackground({11, 6, 0}));
  EXPECT_TRUE(usesStoredBackground({12, 4, 0}));
  EXPECT_FALSE(usesStoredBackground({10, 14, 0}));
  EXPECT_FALSE(usesStoredBackground({10, 15, 0}));
  EXPECT_FALSE(usesStoredBackground({6, 18, 44}));
}

TEST(VersionBannerTest, JoinsTheVersionsWithoutOtherSeparators) {
  EXPECT_EQ(versionBanner("Panel", "1.0", "5", {6, 1, 0}), QStringLiteral("Panel 1.0_5 KESTOR 2.0_88 OS 6.1_0"));
  EXPECT_EQ(versionBanner("", "", "", {0, 0, 0}), QStringLiteral(" _ KESTOR 2.0_88 OS 0.0_0"));
}

struct AddressCase {
  const char *base;
  const char *name;
  bool whatsNew;
  const char *expected;  // "" = no address
};

class DocumentationAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(DocumentationAddressTest, BuildsThePagePath) {
  const AddressCase &c = GetParam();
  const QUrl address = documentationAddress(QString::fromUtf8(c.base), QString::fromUtf8(c.name), "1.2", c.whatsNew);
  EXPECT_EQ(address.toString(), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, DocumentationAddressTest,
    testing::Values(AddressCase{"https://docs.example/", "kestor-panel", false, "https://docs.example/kestorpanel_1.2"},
                    AddressCase{"https://docs.example/", "Kestor-Panel", true,
                                "https://docs.example/kestorpanel_1.2#whats_new"},
                    AddressCase{"", "kestor-panel", false, ""}, AddressCase{"no scheme/", "kestor-panel", false, ""},
                    AddressCase{"https://bad host/", "kestor-panel", false, ""}));

TEST(ApplicationIdentityTest, OrganisationIsThePieceBeforeTheName) {
  EXPECT_EQ(ApplicationIdentity::organizationName("org.kestor.kestor-panel"), QStringLiteral("kestor"));
  EXPECT_EQ(ApplicationIdentity::organizationName("kestor.panel"), QStringLiteral("kestor"));
  EXPECT_EQ(ApplicationIdentity::organizationName("panel"), QStringLiteral("panel"));
}

TEST(LogFileTest, EntriesJoinedByNewlineWithoutTrailingOne) {
  EXPECT_EQ(logFileContents({}), QByteArray());
  EXPECT_EQ(logFileContents({"a", "b", "c"}), QByteArray("a\nb\nc"));
  EXPECT_EQ(logFileContents({"two\nlines", "é"}), QByteArray("two\nlines\n\xc3\xa9"));
}

}  // namespace
