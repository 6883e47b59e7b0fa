#include "skymap/ObjectSearch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <kestor.h>

#include "skymap/LocalSearch.h"
#include "skymap/SimbadAnswer.h"
#include "skymap/SimbadRequest.h"

namespace {

void addHeader(QMenu &menu, const QString &title) { menu.addAction(title)->setEnabled(false); }

}  // namespace

ObjectSearch::ObjectSearch(std::shared_ptr<const SkyModel> sky, Chosen chosen, QObject *parent)
    : QObject(parent),
      sky_(std::move(sky)),
      chosen_(std::move(chosen)),
      menu_(std::make_unique<QMenu>(QStringLiteral("Search"))) {}

ObjectSearch::~ObjectSearch() = default;

void ObjectSearch::setField(QLineEdit *searched) { field_ = searched; }

void ObjectSearch::setLog(Log lines) { log_ = std::move(lines); }

void ObjectSearch::write(const QString &line) const {
  if (log_) log_(line);
}

void ObjectSearch::search(QObject *sender) {
  if (!field_ || sender != field_.data()) {
    if (field_) field_->setFocus();
    return;
  }
  const QString query = field_->text();
  const qsizetype bytes = query.toUtf8().size();
  if (bytes < 3) return;
  menu_->clear();
  addHeader(*menu_, QStringLiteral("-- LOCAL --"));
  for (const SearchResult &result : LocalSearch::find(query, *sky_)) addItem(result.title, result.entry);
  if (bytes >= 4) {
    addHeader(*menu_, QStringLiteral("-- SIMBAD --"));
    const QUrl url = SimbadRequest::url(SimbadRequest::serviceAddress(), query);
    if (url.isValid()) {
      if (network_ == nullptr) network_ = new QNetworkAccessManager(this);
      // Disabling the field that has the keyboard would hand it to the next control, a target
      // of the mount with its text selected, where the next keys would land: the window keeps
      // no focus until the answer gives it back.
      focusTaken_ = field_->window()->focusWidget() == field_;
      if (focusTaken_) field_->clearFocus();
      field_->setEnabled(false);
      if (log_ && kestor_get_log_level() == 1) write(QStringLiteral("Waiting for SIMBAD response..."));
      QNetworkReply *reply = network_->get(SimbadRequest::request(url, timeout_));
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
  menu_->popup(field_->mapToGlobal(QPoint(30, 30)));
}

void ObjectSearch::processSimbadResponse(const std::optional<QByteArray> &data) {
  if (field_) {
    field_->setEnabled(true);
    // Unless the user has put the keyboard elsewhere meanwhile.
    if (focusTaken_ && field_->window()->focusWidget() == nullptr) field_->setFocus(Qt::OtherFocusReason);
  }
  focusTaken_ = false;
  if (!data) {
    write(QStringLiteral("Failed to connect to SIMBAD..."));
    return;
  }
  const SimbadAnswer answer = SimbadAnswer::parse(*data, log_ ? kestor_get_log_level() : 0);
  for (const QString &line : answer.log) write(line);
  for (const MapEntryPtr &entry : answer.entries) addItem(*entry->name, entry);
}

void ObjectSearch::addItem(const QString &title, const MapEntryPtr &entry) {
  QAction *item = menu_->addAction(title);
  item->setData(QVariant::fromValue(entry));
  connect(item, &QAction::triggered, this, [this, entry] { chosen_(entry); });
}
