// Property widgets on real boards in a window, over a client object whose model is filled from
// hand-made library records and whose change calls are recorded.
#pragma once

#include <QByteArray>
#include <QScrollArea>
#include <QTest>
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
inline void PrintTo(const QRectF &rect, std::ostream *out) {
  *out << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ")";
}

// An item recipe with its own label.
inline ItemRecipe labelled(ItemRecipe recipe, const std::string &label) {
  recipe.fill = [fill = recipe.fill, label](kestor_item &item) {
    fill(item);
    PropertyRecord::copy(item.label, label);
  };
  return recipe;
}

inline ItemRecipe lightItem(const std::string &name, uint32_t state) {
  return {name, [state](kestor_item &item) { item.light_value = state; }};
}

// A BLOB item whose bytes live in the given array (kept by the caller).
inline ItemRecipe blobItem(const std::string &name, const QByteArray &bytes, const std::string &format) {
  return {name, [bytes, format](kestor_item &item) {
            PropertyRecord::copy(item.blob_format, format);
            item.blob_value = const_cast<char *>(bytes.constData());
            item.blob_size = bytes.size();
          }};
}

// The items of the guider statistics property, all 0.
inline std::vector<ItemRecipe> guiderItems() {
  std::vector<ItemRecipe> items;
  for (const char *name : {"FRAME", "DRIFT_X", "DRIFT_Y", "DRIFT_RA", "DRIFT_DEC", "CORR_RA", "CORR_DEC"}) {
    items.push_back(numberItem(name, 0));
  }
  return items;
}

// The control of that object name inside the widget (a test failure when there is none).
template <typename T>
T *control(const QWidget *widget, const QString &name) {
  T *found = widget->findChild<T *>(name);
  EXPECT_NE(found, nullptr) << name.toStdString();
  return found;
}

class WidgetFixture : public testing::Test {
protected:
  WidgetFixture() : kestor(makeFakeClient()) {
    window.resize(1300, 800);
    panelScroll = new QScrollArea(&window);
    panelScroll->setGeometry(0, 0, 430, 800);
    panelScroll->setWidget(panel = new ControlPanelView);
    dashboardScroll = new QScrollArea(&window);
    dashboardScroll->setGeometry(440, 0, 860, 800);
    dashboardScroll->setWidget(dashboard = new DashboardView);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  ~WidgetFixture() override {
    loose.clear();
    delete panelScroll;
    delete dashboardScroll;
  }

  // Puts the record's property into the model; the record lives as long as the fixture.
  std::shared_ptr<KESTOR::Property> define(PropertyRecord &&record, uint32_t perm = KESTOR_PERM_RW,
                                           uint32_t rule = KESTOR_RULE_NONE) {
    records.push_back(std::make_unique<PropertyRecord>(std::move(record)));
    kestor_property *raw = records.back()->get();
    raw->perm = perm;
    raw->rule = rule;
    return kestor->device(raw)->property(raw);
  }
  kestor_property *record(const std::shared_ptr<KESTOR::Property> &property) { return property->property; }
  // A widget for the property on the board (the control panel by default), built after it was
  // put there, laid out and shown.
  PropertyWidget *showWidget(const std::shared_ptr<KESTOR::Property> &property, PropertiesView *board = nullptr) {
    board = board ? board : panel;
    auto *widget =
        new PropertyWidget(board, kestor.get(), property->name + QStringLiteral(" @ ") + property->device->name,
                           board == panel ? dashboard : nullptr);
    board->addWidget(widget);
    widget->build(property, board->kind());
    board->layoutWidgets();
    return widget;
  }
  // A widget built before it is put on any board.
  PropertyWidget *buildLoose(const std::shared_ptr<KESTOR::Property> &property) {
    loose.push_back(std::make_unique<PropertyWidget>(panel, kestor.get(), property->name, dashboard));
    loose.back()->build(property, WidgetGeometry::Board::None);
    return loose.back().get();
  }
  std::vector<FrameworkCall> changes() { return FakeFramework::shared().changes(*kestor); }

  std::unique_ptr<KESTOR> kestor;
  QWidget window;
  QScrollArea *panelScroll;
  ControlPanelView *panel;
  QScrollArea *dashboardScroll;
  DashboardView *dashboard;
  std::vector<std::unique_ptr<PropertyRecord>> records;
  std::vector<std::unique_ptr<PropertyWidget>> loose;
};
