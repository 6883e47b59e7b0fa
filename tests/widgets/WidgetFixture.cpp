#include "WidgetFixture.h"

#include <QDir>
#include <QTest>

void PrintTo(const QRectF &rect, std::ostream *out) {
  *out << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ")";
}

void PrintTo(const QRect &rect, std::ostream *out) { PrintTo(QRectF(rect), out); }

ItemRecipe labelled(ItemRecipe recipe, const std::string &label) {
  auto fill = recipe.fill;
  recipe.fill = [fill, label](kestor_item &item) {
    fill(item);
    PropertyRecord::copy(item.label, label);
  };
  return recipe;
}

ItemRecipe lightItem(const std::string &name, uint32_t state) {
  return {name, [state](kestor_item &item) { item.light_value = state; }};
}

ItemRecipe blobItem(const std::string &name, const QByteArray &bytes, const std::string &format) {
  return {name, [bytes, format](kestor_item &item) {
            PropertyRecord::copy(item.blob_format, format);
            item.blob_value = const_cast<char *>(bytes.constData());
            item.blob_size = bytes.size();
          }};
}

WidgetFixture::WidgetFixture() : kestor(makeFakeClient()) {
  window.resize(1300, 800);
  panelScroll = new QScrollArea(&window);
  panelScroll->setGeometry(0, 0, 430, 800);
  panel = new ControlPanelView;
  panel->setObjectName(QStringLiteral("panel"));
  panelScroll->setWidget(panel);
  dashboardScroll = new QScrollArea(&window);
  dashboardScroll->setGeometry(440, 0, 860, 800);
  dashboard = new DashboardView;
  dashboard->setObjectName(QStringLiteral("dashboard"));
  dashboardScroll->setWidget(dashboard);
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

WidgetFixture::~WidgetFixture() {
  loose.clear();
  delete panelScroll;
  delete dashboardScroll;
}

std::shared_ptr<KESTOR::Property> WidgetFixture::define(PropertyRecord &&record, uint32_t perm, uint32_t rule) {
  records.push_back(std::make_unique<PropertyRecord>(std::move(record)));
  kestor_property *raw = records.back()->get();
  raw->perm = perm;
  raw->rule = rule;
  return kestor->device(raw)->property(raw);
}

PropertyWidget *WidgetFixture::showWidget(const std::shared_ptr<KESTOR::Property> &property, PropertiesView *board) {
  board = board ? board : panel;
  auto *widget = new PropertyWidget(board, kestor.get(), property->name + QStringLiteral(" @ ") + property->device->name,
                                    board == panel ? dashboard : nullptr);
  board->addWidget(widget);
  widget->build(property, board->kind());
  board->layoutWidgets();
  return widget;
}

PropertyWidget *WidgetFixture::buildLoose(const std::shared_ptr<KESTOR::Property> &property) {
  loose.push_back(std::make_unique<PropertyWidget>(panel, kestor.get(), property->name, dashboard));
  loose.back()->build(property, WidgetGeometry::Board::None);
  return loose.back().get();
}

void WidgetFixture::saveScreenshot(QWidget *widget, const QString &name) {
  QDir().mkpath(QStringLiteral(ARTIFACTS_DIR));
  widget->grab().save(QStringLiteral(ARTIFACTS_DIR "/") + name + QStringLiteral(".png"));
}
