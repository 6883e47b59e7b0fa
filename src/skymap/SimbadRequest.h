// The request to the SIMBAD script service for a query.
#pragma once

#include <QNetworkRequest>
#include <QString>
#include <QUrl>

namespace SimbadRequest {

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
