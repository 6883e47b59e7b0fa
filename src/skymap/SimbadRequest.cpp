#include "skymap/SimbadRequest.h"

#include "core/Settings.h"

namespace SimbadRequest {

QString script(const QString &query) {
  static const QString FORMAT = QStringLiteral(
      "format object \"BEGIN\\nRA %COO(d;A;ICRS; J2000)\\nDEC %COO(d;D;ICRS;J2000)\\nPM_RA %PM(A)\\n"
      "PM_DEC %PM(D)\\nPLX %PLX(V)\\nRV %RV(V)\\nTYPE %OTYPE(3)\\nMAG %FLUXLIST(V;F)\\nDIM_X %DIM(X)\\n"
      "DIM_Y %DIM(Y)\\nDIM_ANGLE %DIM(A)\\nID %MAIN_ID\\n%IDLIST\\nEND\"\n"
      "query id wildcard ");
  return FORMAT + query;
}

QString serviceAddress() { return UserDefaults::read(Setting::SIMBAD_URL); }

QUrl url(const QString &service, const QString &query) {
  QString base = service;
  while (base.endsWith(u'/')) base.chop(1);
  QUrl address(base + QStringLiteral("/simbad/sim-script"), QUrl::StrictMode);
  if (!address.isValid() || address.scheme().isEmpty() || address.host().isEmpty()) return QUrl();
  address.setQuery(QStringLiteral("script=") + QString::fromLatin1(QUrl::toPercentEncoding(script(query))),
                   QUrl::StrictMode);
  return address;
}

QNetworkRequest request(const QUrl &url, double timeoutSeconds) {
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setTransferTimeout(int(timeoutSeconds * 1000.0));
  return request;
}

}  // namespace SimbadRequest
