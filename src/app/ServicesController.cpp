#include "app/ServicesController.h"

ServicesController::ServicesController(QObject *parent) : BaseController(parent) {}

void ServicesController::awakeFromNib() {}
