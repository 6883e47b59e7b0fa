// The object search of a sky map: the text of its field matched in the sky model and, from four
// bytes on, asked of the SIMBAD service; the results fill a menu whose items hand their entry to
// the owner when chosen.
#pragma once

#include <QByteArray>
#include <QLineEdit>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

#include "skymap/MapEntry.h"
#include "skymap/SkyModel.h"

class QNetworkAccessManager;

class ObjectSearch : public QObject {
  Q_OBJECT

public:
  using Log = std::function<void(const QString &line)>;
  using Chosen = std::function<void(const MapEntryPtr &entry)>;

  ObjectSearch(std::shared_ptr<const SkyModel> sky, Chosen chosen, QObject *parent = nullptr);
  ~ObjectSearch() override;

  // The field searched (not owned); disabled while the service is asked, and then the window's
  // keyboard focus rests nowhere until the answer returns it to the field.
  void setField(QLineEdit *field);
  QLineEdit *searchField() const { return field_; }
  // Where log lines go: the wait at log level 1, failures, the answer's lines. Nowhere by default,
  // and then the answer logs nothing at any level.
  void setLog(Log log);
  // Seconds the service may stay silent; 10 by default.
  void setTimeout(double seconds) { timeout_ = seconds; }
  // Titled "Search"; the result items carry their entry as data.
  QMenu &resultsMenu() const { return *menu_; }

  // Searches the field's text when the sender is the field; any other sender only focuses it.
  void search(QObject *sender);

private:
  // Handles an answer of the service; no data when the connection failed.
  void processSimbadResponse(const std::optional<QByteArray> &data);
  // Appends a result item that hands its entry on when chosen.
  void addItem(const QString &title, const MapEntryPtr &entry);
  void write(const QString &line) const;

  std::shared_ptr<const SkyModel> sky_;
  Chosen chosen_;
  Log log_;
  QPointer<QLineEdit> field_;
  std::unique_ptr<QMenu> menu_;
  QNetworkAccessManager *network_ = nullptr;  // made on the first online query, a child of the search
  double timeout_ = 10.0;
  bool focusTaken_ = false;  // the field had the keyboard when its question went out
};
