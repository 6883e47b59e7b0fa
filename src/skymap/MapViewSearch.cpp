// MapView: the object search, in the map's own catalogues and at the SIMBAD service.
#include "skymap/MapView.h"

#include "kestor/KESTOR.h"
#include "skymap/LocalSearch.h"
#include "skymap/SimbadAnswer.h"
#include "skymap/SimbadRequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

void addHeader(QMenu &menu, const QString &title) {
  menu.addAction(title)->setEnabled(false);
}

void logIfClient(const QString &text) {
  if (KESTOR *client = KESTOR::clientInstance())
    client->log(text, false);
}

}  // namespace

void MapView::searchAction(QObject *sender) {
  if (!objectSearch || sender != objectSearch.data()) {
    if (objectSearch)
      objectSearch->setFocus();
    return;
  }
  const QString query = objectSearch->text();
  const qsizetype bytes = query.toUtf8().size();
  if (bytes < 3)
    return;
  searchMenu->clear();
  addHeader(*searchMenu, QStringLiteral("-- LOCAL --"));
  for (const SearchResult &result : LocalSearch::find(query, stars, dsos, solarsys))
    addSearchItem(result.title, result.entry);
  if (bytes >= 4) {
    addHeader(*searchMenu, QStringLiteral("-- SIMBAD --"));
    const QUrl url = SimbadRequest::url(SimbadRequest::serviceAddress(), query);
    if (url.isValid()) {
      if (network == nullptr)
        network = new QNetworkAccessManager(this);
      objectSearch->setEnabled(false);
      if (KESTOR::clientInstance() != nullptr && kestor_get_log_level() == 1)
        logIfClient(QStringLiteral("Waiting for SIMBAD response..."));
      QNetworkReply *reply = network->get(SimbadRequest::request(url, simbadTimeout));
      connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        const QByteArray body = reply->isReadable() ? reply->readAll() : QByteArray();
        // A failure that still delivered a body (an error page) is read like any answer.
        if (reply->error() != QNetworkReply::NoError && body.isEmpty())
          processSimbadResponse(std::nullopt);
        else
          processSimbadResponse(body);
      });
    }
  }
  searchMenu->popup(objectSearch->mapToGlobal(QPoint(30, 30)));
}

void MapView::processSimbadResponse(const std::optional<QByteArray> &data) {
  if (objectSearch)
    objectSearch->setEnabled(true);
  if (!data) {
    logIfClient(QStringLiteral("Failed to connect to SIMBAD..."));
    return;
  }
  const unsigned level = KESTOR::clientInstance() != nullptr ? kestor_get_log_level() : 0;
  const SimbadAnswer answer = SimbadAnswer::parse(*data, level);
  for (const QString &line : answer.log)
    logIfClient(line);
  for (const MapEntryPtr &entry : answer.entries)
    addSearchItem(*entry->name, entry);
}

void MapView::addSearchItem(const QString &title, const MapEntryPtr &entry) {
  QAction *item = searchMenu->addAction(title);
  item->setData(QVariant::fromValue(entry));
  connect(item, &QAction::triggered, this, [this, item] { select(item); });
}
