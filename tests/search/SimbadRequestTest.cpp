// The script and the address sent to the service.
#include "core/SettingKeys.h"
#include "skymap/SimbadRequest.h"

#include <gtest/gtest.h>

TEST(SimbadRequest, ScriptIsTheFormatThenTheQuery) {
  const QString script = SimbadRequest::script(QString());
  EXPECT_EQ(script.size(), 257);
  EXPECT_EQ(script.count(u'\n'), 1);
  EXPECT_TRUE(script.endsWith(QStringLiteral("END\"\nquery id wildcard ")));
  EXPECT_TRUE(script.contains(QStringLiteral("%COO(d;A;ICRS; J2000)\\nDEC %COO(d;D;ICRS;J2000)")));
  EXPECT_EQ(SimbadRequest::script(QStringLiteral("m 31")), script + QStringLiteral("m 31"));
}

TEST(SimbadRequest, EveryReservedCharacterIsEncoded) {
  for (const QString &query : {QStringLiteral("QSO B1946+770&x"), QStringLiteral("a=b;c"), QStringLiteral("αβ"),
                              QStringLiteral("BD+20 307"), QStringLiteral("50%")}) {
    const QUrl url = SimbadRequest::url(QStringLiteral("http://127.0.0.1:8080/"), query);
    ASSERT_TRUE(url.isValid());
    const QByteArray encoded = url.toEncoded();
    EXPECT_TRUE(encoded.startsWith("http://127.0.0.1:8080/simbad/sim-script?script=format%20object")) << encoded.constData();
    const QByteArray value = encoded.mid(encoded.indexOf("script=") + 7);
    for (char c : {'+', '&', '=', ' ', ';'})
      EXPECT_EQ(value.indexOf(c), -1) << c << " in " << value.constData();
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromPercentEncoding(value)), SimbadRequest::script(query));
  }
}

TEST(SimbadRequest, BadServiceAddressGivesNoUrl) {
  EXPECT_FALSE(SimbadRequest::url(QStringLiteral("not a url"), QStringLiteral("M31")).isValid());
  EXPECT_FALSE(SimbadRequest::url(QString(), QStringLiteral("M31")).isValid());
  EXPECT_TRUE(SimbadRequest::url(QString::fromUtf8(Setting::SIMBAD_URL.defaultValue), QStringLiteral("M31")).isValid());
}

TEST(SimbadRequest, RequestBypassesTheCache) {
  const QNetworkRequest request = SimbadRequest::request(QUrl(QStringLiteral("http://127.0.0.1/")), 10.0);
  EXPECT_EQ(request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(), int(QNetworkRequest::AlwaysNetwork));
  EXPECT_EQ(request.transferTimeout(), 10000);
}
