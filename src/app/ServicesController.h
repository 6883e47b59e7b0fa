// The server list of the preferences sheet: discovered services and the user's own servers.
#pragma once

#include "app/BaseController.h"

#include <QPointer>

class QLineEdit;
class QPushButton;
class QTableView;

class ServicesController : public BaseController {
  Q_OBJECT

public:
  explicit ServicesController(QObject *parent = nullptr);

  // Outlets, set by the interface loader.
  QPointer<QTableView> servicesTableView;
  QPointer<QLineEdit> hostnameField;
  QPointer<QLineEdit> portField;
  QPointer<QPushButton> addButton;
  QPointer<QPushButton> removeButton;

  // Runs once every outlet of the interface is set.
  void awakeFromNib();
};
