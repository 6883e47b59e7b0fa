// The small pure pieces of the application shell: system version, banner, documentation
// address, organisation name, log file contents.
#include "app/ApplicationIdentity.h"
#include "app/DocumentationPage.h"
#include "app/LogFile.h"
#include "app/SystemVersion.h"
#include "app/VersionBanner.h"

#include <gtest/gtest.h>

namespace {

TEST(ShellFunctionsTest, SystemVersionReadsThreeLeadingNumbersAndDecidesTheStoredBackground) {
  const struct {
    const char *release;
    SystemVersion version;
    bool storedBackground;  // below minor 14, whatever the major
  } cases[] = {{"6.1.0-18-amd64", {6, 1, 0}, true},   {"6.18.44-fc-v1300", {6, 18, 44}, false},
               {"5.10", {5, 10, 0}, true},            {"7", {7, 0, 0}, true},
               {"", {0, 0, 0}, true},                 {"x.y.z", {0, 0, 0}, true},
               {"10.13.6", {10, 13, 6}, true},        {"10.14", {10, 14, 0}, false},
               {"12.4", {12, 4, 0}, true},            {"10.15.1", {10, 15, 1}, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.release);
    EXPECT_EQ(parseSystemVersion(QString::fromLatin1(c.release)), c.version);
    EXPECT_EQ(usesStoredBackground(c.version), c.storedBackground);
  }
  EXPECT_EQ(versionBanner("Panel", "1.0", "5", {6, 1, 0}), QStringLiteral("Panel 1.0_5 KESTOR 2.0_88 OS 6.1_0"));
  EXPECT_EQ(versionBanner("", "", "", {0, 0, 0}), QStringLiteral(" _ KESTOR 2.0_88 OS 0.0_0"));
}

TEST(ShellFunctionsTest, DocumentationAddressOrganisationAndLogFile) {
  const struct {
    const char *base, *name;
    bool whatsNew;
    const char *expected;  // "" = no address
  } addresses[] = {{"https://docs.example/", "kestor-panel", false, "https://docs.example/kestorpanel_1.2"},
                   {"https://docs.example/", "Kestor-Panel", true, "https://docs.example/kestorpanel_1.2#whats_new"},
                   {"", "kestor-panel", false, ""},
                   {"no scheme/", "kestor-panel", false, ""},
                   {"https://bad host/", "kestor-panel", false, ""}};
  for (const auto &c : addresses)
    EXPECT_EQ(documentationAddress(QString::fromUtf8(c.base), QString::fromUtf8(c.name), "1.2", c.whatsNew).toString(),
              QString::fromUtf8(c.expected)) << c.base << c.name;
  EXPECT_EQ(ApplicationIdentity::organizationName("org.kestor.kestor-panel"), QStringLiteral("kestor"));
  EXPECT_EQ(ApplicationIdentity::organizationName("kestor.panel"), QStringLiteral("kestor"));
  EXPECT_EQ(ApplicationIdentity::organizationName("panel"), QStringLiteral("panel"));
  EXPECT_EQ(logFileContents({}), QByteArray());
  EXPECT_EQ(logFileContents({"two\nlines", "é", "c"}), QByteArray("two\nlines\n\xc3\xa9\nc"));
}

}  // namespace
