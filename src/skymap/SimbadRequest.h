// The request to the SIMBAD script service for a query.
#pragma once

#include <QNetworkRequest>
#include <QString>
#include <QUrl>

namespace SimbadRequest {

// Settings key of the service's address, and its default (the public service).
inline const QString SERVICE_KEY = QStringLiteral("simbadURL");
inline const QString DEFAULT_SERVICE = QStringLiteral("http://simbad.cds.unistra.fr");

// The script that asks for the objects matching the query, one block per object.
QString script(const QString &query);
// The service address from the settings (the default when none is stored).
QString serviceAddress();
// The address of the script for the query, every character but the unreserved ones
// percent-encoded (so "+", "&" and "=" reach the service); invalid when the service address is.
QUrl url(const QString &service, const QString &query);
// A request that ignores cached data and gives up after the given idle time.
QNetworkRequest request(const QUrl &url, double timeoutSeconds);

}  // namespace SimbadRequest
