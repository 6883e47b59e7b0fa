#include "skymap/ObjectSearch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <kestor.h>

#include "skymap/LocalSearch.h"
#include "skymap/SimbadAnswer.h"
#include "skymap/SimbadRequest.h"

namespace {

void addHeader(QMenu &menu, const QString &title) {
  menu.addAction(title)->setEnabled(false);
}

}  // namespace

ObjectSearch::ObjectSearch(std::shared_ptr<const SkyModel> sky, Chosen chosen, QObject *parent)
    : QObject(parent), sky(std::move(sky)), chosen(std::move(chosen)),
      menu(std::make_unique<QMenu>(QStringLiteral("Search"))) {}

ObjectSearch::~ObjectSearch() = default;

void ObjectSearch::setField(QLineEdit *searched) {
  field = searched;
}

void ObjectSearch::setLog(Log lines) {
  log = std::move(lines);
}

void ObjectSearch::write(const QString &line) const {
  if (log)
    log(line);
}

void ObjectSearch::search(QObject *sender) {
  if (!field || sender != field.data()) {
    if (field)
      field->setFocus();
    return;
  }
  const QString query = field->text();
  const qsizetype bytes = query.toUtf8().size();
  if (bytes < 3)
    return;
  menu->clear();
  addHeader(*menu, QStringLiteral("-- LOCAL --"));
  for (const SearchResult &result : LocalSearch::find(query, *sky))
    addItem(result.title, result.entry);
  if (bytes >= 4) {
    addHeader(*menu, QStringLiteral("-- SIMBAD --"));
    const QUrl url = SimbadRequest::url(SimbadRequest::serviceAddress(), query);
    if (url.isValid()) {
      if (network == nullptr)
        network = new QNetworkAccessManager(this);
      field->setEnabled(false);
      if (log && kestor_get_log_level() == 1)
        write(QStringLiteral("Waiting for SIMBAD response..."));
      QNetworkReply *reply = network->get(SimbadRequest::request(url, timeout));
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
  menu->popup(field->mapToGlobal(QPoint(30, 30)));
}

void ObjectSearch::processSimbadResponse(const std::optional<QByteArray> &data) {
  if (field)
    field->setEnabled(true);
  if (!data) {
    write(QStringLiteral("Failed to connect to SIMBAD..."));
    return;
  }
  const SimbadAnswer answer = SimbadAnswer::parse(*data, log ? kestor_get_log_level() : 0);
  for (const QString &line : answer.log)
    write(line);
  for (const MapEntryPtr &entry : answer.entries)
    addItem(*entry->name, entry);
}

void ObjectSearch::addItem(const QString &title, const MapEntryPtr &entry) {
  QAction *item = menu->addAction(title);
  item->setData(QVariant::fromValue(entry));
  connect(item, &QAction::triggered, this, [this, entry] { chosen(entry); });
}
