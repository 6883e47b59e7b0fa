// Property widgets on real boards in a window, over a client object whose model is filled from
// hand-made library records and whose change calls are recorded.
#pragma once

#include <QByteArray>
#include <QScrollArea>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "Fakes.h"
#include "Records.h"
#include "kestor/Model.h"
#include "views/ControlPanelView.h"
#include "views/DashboardView.h"
#include "widgets/PropertyWidget.h"

// Readable rectangles in test failures.
void PrintTo(const QRectF &rect, std::ostream *out);
void PrintTo(const QRect &rect, std::ostream *out);

// An item recipe with its own label.
ItemRecipe labelled(ItemRecipe recipe, const std::string &label);
ItemRecipe lightItem(const std::string &name, uint32_t state);
// A BLOB item whose bytes live in the given array (kept by the caller).
ItemRecipe blobItem(const std::string &name, const QByteArray &bytes, const std::string &format);

// The control of that object name inside the widget (a test failure when there is none).
template <typename T> T *control(const QWidget *widget, const QString &name) {
  T *found = widget->findChild<T *>(name);
  EXPECT_NE(found, nullptr) << name.toStdString();
  return found;
}

class WidgetFixture : public testing::Test {
protected:
  WidgetFixture();
  ~WidgetFixture() override;

  // Puts the record's property into the model; the record lives as long as the fixture.
  std::shared_ptr<KESTOR::Property> define(PropertyRecord &&record, uint32_t perm = KESTOR_PERM_RW,
                                           uint32_t rule = KESTOR_RULE_NONE);
  kestor_property *record(const std::shared_ptr<KESTOR::Property> &property) { return property->property; }
  // A widget for the property on the board (the control panel by default), built after it was
  // put there, laid out and shown.
  PropertyWidget *showWidget(const std::shared_ptr<KESTOR::Property> &property, PropertiesView *board = nullptr);
  // A widget built before it is put on any board.
  PropertyWidget *buildLoose(const std::shared_ptr<KESTOR::Property> &property);

  std::vector<FrameworkCall> changes() { return FakeFramework::shared().changes(*kestor); }
  // Saves a picture of the widget to the artifacts folder of the build.
  static void saveScreenshot(QWidget *widget, const QString &name);

  std::unique_ptr<KESTOR> kestor;
  QWidget window;
  QScrollArea *panelScroll;
  ControlPanelView *panel;
  QScrollArea *dashboardScroll;
  DashboardView *dashboard;
  std::vector<std::unique_ptr<PropertyRecord>> records;
  std::vector<std::unique_ptr<PropertyWidget>> loose;
};
