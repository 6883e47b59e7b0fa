// Boards with real widgets: placement in their container, pin, unpin and collapse, the lock,
// the toolbar and the selection highlight, and the workspace record.
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "WidgetFixture.h"
#include "core/Globals.h"
#include "widgets/GraphView.h"
#include "widgets/ElidedLabel.h"
#include "widgets/FlippedFrame.h"
#include "widgets/KButton.h"

namespace {

class Boards : public WidgetFixture {
protected:
  // A board inside a plain container of known size: board -> holder -> container.
  template <typename Board> Board *boardIn(QSize containerSize) {
    auto *container = new QWidget(&window);
    container->setGeometry(QRect(QPoint(0, 0), containerSize));
    auto *holder = new QWidget(container);
    holder->setGeometry(container->rect());
    auto *board = new Board(holder);
    container->show();
    containers.emplace_back(container);
    return board;
  }
  std::shared_ptr<KESTOR::Property> numbers(const std::string &name, int count, uint32_t perm = KESTOR_PERM_RO) {
    std::vector<ItemRecipe> items;
    for (int i = 0; i < count; ++i) {
      items.push_back(numberItem("N" + std::to_string(i), i));
    }
    return define(PropertyRecord("Device", name, KESTOR_NUMBER, KESTOR_STATE_OK, items), perm);
  }
  // A widget on the board with the given frame height.
  PropertyWidget *sized(PropertiesView *board, const std::string &name, int height) {
    PropertyWidget *w = showWidget(numbers(name, 1), board);
    w->resize(400, height);
    return w;
  }
  std::vector<std::unique_ptr<QWidget>> containers;
};

TEST_F(Boards, ControlPanelStacksOneColumnAndGrowsForItsWidgets) {
  auto *board = boardIn<ControlPanelView>(QSize(300, 300));
  PropertyWidget *a = sized(board, "A", 100);
  PropertyWidget *b = sized(board, "B", 35);
  PropertyWidget *c = sized(board, "C", 340);
  board->layoutWidgets();
  EXPECT_EQ(board->size(), QSize(400, 490));
  EXPECT_EQ(bottomLeftFrame(a).topLeft(), QPointF(0, 390));
  EXPECT_EQ(bottomLeftFrame(b).topLeft(), QPointF(0, 350));
  EXPECT_EQ(bottomLeftFrame(c).topLeft(), QPointF(0, 5));
  EXPECT_EQ(a->pos(), QPoint(0, 0));
  EXPECT_EQ(b->pos(), QPoint(0, 105));
  EXPECT_EQ(c->pos(), QPoint(0, 145));
}

TEST_F(Boards, DashboardWrapsColumnsAtItsHeight) {
  auto *board = boardIn<DashboardView>(QSize(500, 300));
  PropertyWidget *a = sized(board, "A", 200);
  PropertyWidget *b = sized(board, "B", 150);
  board->layoutWidgets();
  EXPECT_EQ(board->size(), QSize(805, 300));
  EXPECT_EQ(bottomLeftFrame(a).topLeft(), QPointF(0, 100));
  EXPECT_EQ(bottomLeftFrame(b).topLeft(), QPointF(405, 150));
  EXPECT_EQ(a->pos(), QPoint(0, 0));
  EXPECT_EQ(b->pos(), QPoint(405, 0));
  b->brk = false;
  a->brk = true;  // nothing changes: b starts the second column anyway
  board->layoutWidgets();
  EXPECT_EQ(b->pos(), QPoint(405, 0));
}

TEST_F(Boards, ContainerResizeLaysOut) {
  auto *board = boardIn<DashboardView>(QSize(500, 300));
  sized(board, "A", 200);
  board->parentWidget()->parentWidget()->resize(500, 400);
  board->parentWidget()->resize(500, 400);
  EXPECT_EQ(board->height(), 400);
}

TEST_F(Boards, PinCopiesToTheDashboardAndUnpinRemovesTheCopy) {
  std::vector<ItemRecipe> lights;
  for (int i = 0; i < 45; ++i) {
    lights.push_back(labelled(lightItem("L" + std::to_string(i), KESTOR_STATE_OK), "Light number " + std::to_string(i + 10)));
  }
  auto property = define(PropertyRecord("Dome", "STATUS", KESTOR_LIGHT, KESTOR_STATE_OK, lights), KESTOR_PERM_RO);
  PropertyWidget *original = showWidget(property);
  EXPECT_EQ(original->height(), 415);
  QTest::mouseClick(original->button1, Qt::LeftButton);
  ASSERT_EQ(dashboard->widgets().size(), 1u);
  PropertyWidget *copy = dashboard->widgets()[0];
  EXPECT_EQ(copy->objectName(), original->objectName());
  EXPECT_EQ(copy->dashboardView, nullptr);
  EXPECT_EQ(copy->propertiesView, dashboard);
  EXPECT_EQ(copy->height(), 615);  // built on the dashboard: two columns
  QTest::mouseClick(original->button1, Qt::LeftButton);
  EXPECT_EQ(dashboard->widgets().size(), 2u);

  panel->locked = true;  // pinning asks the board the widget is on
  QTest::mouseClick(original->button1, Qt::LeftButton);
  EXPECT_EQ(dashboard->widgets().size(), 2u);
  panel->locked = false;

  dashboard->locked = true;
  dashboard->layoutWidgets();
  EXPECT_FALSE(copy->button2->isEnabled());
  copy->unpinAction();
  EXPECT_EQ(dashboard->widgets().size(), 2u);
  dashboard->locked = false;
  dashboard->layoutWidgets();
  ASSERT_TRUE(copy->button2->isEnabled());
  QPointer<PropertyWidget> gone = copy;
  QTest::mouseClick(copy->button2, Qt::LeftButton);
  EXPECT_EQ(dashboard->widgets().size(), 1u);
  EXPECT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 1000));
}

TEST_F(Boards, CollapseFollowsButtonOneAndTheBoardLaysOut) {
  auto guider = define(PropertyRecord("Guider", "AGENT_GUIDER_STATS", KESTOR_NUMBER, 0,
                                      {numberItem("FRAME", 0), numberItem("DRIFT_X", 0), numberItem("DRIFT_Y", 0),
                                       numberItem("DRIFT_RA", 0), numberItem("DRIFT_DEC", 0), numberItem("CORR_RA", 0),
                                       numberItem("CORR_DEC", 0)}),
                       KESTOR_PERM_RO);
  PropertyWidget *original = showWidget(guider);
  QTest::mouseClick(original->button1, Qt::LeftButton);  // pin
  PropertyWidget *copy = dashboard->widgets().at(0);
  PropertyWidget *other = showWidget(numbers("OTHER", 1), dashboard);
  QTest::mouseClick(copy->button1, Qt::LeftButton);  // button1 is on: stays expanded
  EXPECT_EQ(copy->height(), 405);
  QTest::mouseClick(control<QPushButton>(copy, "eq"), Qt::LeftButton);  // turns button1 off
  EXPECT_EQ(copy->button1->state(), KButton::OFF);
  QTest::mouseClick(copy->button1, Qt::LeftButton);
  EXPECT_EQ(copy->height(), 35);
  EXPECT_FALSE(copy->graphView->isVisible());
  EXPECT_TRUE(copy->titleField->isVisible());
  EXPECT_EQ(copy->titleField->geometry(), QRect(20, 5, 320, 20));
  EXPECT_EQ(other->pos(), QPoint(0, 40));  // the board closed up under the collapsed copy
  copy->button1->setState(KButton::ON);
  copy->collapseAction();
  EXPECT_EQ(copy->height(), 405);
  EXPECT_TRUE(copy->graphView->isVisible());
  saveScreenshot(&window, QStringLiteral("dashboard_pinned"));
}

TEST_F(Boards, ShownButtonsAreDressedByTheBoard) {
  auto property = numbers("N", 1);
  PropertyWidget plain(panel, kestor.get(), QStringLiteral("plain"), dashboard);
  EXPECT_FALSE(plain.button1->isEnabled());
  EXPECT_FALSE(plain.button2->isEnabled());
  panel->showButtons = true;
  dashboard->showButtons = true;
  PropertyWidget pinnable(panel, kestor.get(), QStringLiteral("pinnable"), dashboard);
  EXPECT_EQ(pinnable.button1->buttonType(), KButton::OnOff);
  EXPECT_TRUE(pinnable.button1->isEnabled());
  EXPECT_FALSE(pinnable.button1->icon().isNull());
  EXPECT_FALSE(pinnable.button2->isEnabled());
  PropertyWidget copy(dashboard, kestor.get(), QStringLiteral("copy"), nullptr);
  EXPECT_FALSE(copy.button1->isEnabled());
  EXPECT_TRUE(copy.button2->isEnabled());
  EXPECT_EQ(copy.button2->buttonType(), KButton::OnOff);
  EXPECT_FALSE(copy.button2->icon().isNull());
  copy.build(property, WidgetGeometry::Board::None);
  EXPECT_TRUE(copy.button1->isEnabled());
  EXPECT_EQ(copy.button1->state(), KButton::ON);
}

TEST_F(Boards, ToolbarAndHighlightFollowTheSelection) {
  auto *board = boardIn<DashboardView>(QSize(900, 600));
  QPushButton info, breakButton, red, lock, unlock;
  breakButton.setCheckable(true);
  lock.setCheckable(true);
  unlock.setCheckable(true);
  board->infoButton = &info;
  board->breakButton = &breakButton;
  board->redButton = &red;
  PropertyWidget *a = sized(board, "A", 100);
  PropertyWidget *b = sized(board, "B", 100);
  board->layoutWidgets();
  EXPECT_FALSE(info.isEnabled());
  EXPECT_FALSE(breakButton.isEnabled());
  board->selection = {a, b};
  board->active = a;
  a->brk = true;
  board->layoutWidgets();
  EXPECT_TRUE(info.isEnabled());
  EXPECT_TRUE(red.isEnabled());
  EXPECT_FALSE(breakButton.isEnabled());  // two selected
  EXPECT_TRUE(breakButton.isChecked());   // but it shows the active widget's break
  EXPECT_EQ(a->fill().alpha, 0.5);
  EXPECT_EQ(b->fill().alpha, 0.5);
  board->selection = {a};
  board->locked = true;
  board->layoutWidgets();
  EXPECT_FALSE(breakButton.isEnabled());
  board->locked = false;
  board->layoutWidgets();
  EXPECT_TRUE(breakButton.isEnabled());

  defaults().setValue(QStringLiteral("locked"), true);
  board->lockButton = &lock;
  board->unlockButton = &unlock;
  board->awakeFromNib();
  EXPECT_TRUE(board->locked);
  EXPECT_TRUE(lock.isChecked());
  EXPECT_FALSE(unlock.isChecked());
  defaults().remove(QStringLiteral("locked"));
}

TEST_F(Boards, WorkspaceRecordIsWrittenOnlyWhenSaving) {
  auto *board = boardIn<DashboardView>(QSize(900, 600));
  PropertyWidget *a = sized(board, "A", 100);
  PropertyWidget *b = sized(board, "B", 100);
  a->setFill({0.5, 0, 0.5, 0.5});
  b->brk = true;
  board->layoutWidgets();
  EXPECT_FALSE(defaults().contains(QStringLiteral("workspace_1")));
  board->saveWidgets = true;
  defaults().setValue(QStringLiteral("workspace"), 3);
  board->layoutWidgets();
  EXPECT_EQ(defaults().value(QStringLiteral("workspace_3")).toStringList(),
            (QStringList{a->name, b->name}));
  EXPECT_EQ(defaults().value(QStringLiteral("workspace_breaks_3")).toList(), (QVariantList{false, true}));
  EXPECT_EQ(defaults().value(QStringLiteral("workspace_colours_3")).toList(), (QVariantList{101, 111}));
  for (const char *key : {"workspace", "workspace_3", "workspace_breaks_3", "workspace_colours_3"}) {
    defaults().remove(QLatin1String(key));
  }
}

TEST_F(Boards, BoardOrderFollowsParentsAndInsertion) {
  auto *board = boardIn<DashboardView>(QSize(900, 600));
  PropertyWidget *a = sized(board, "A", 50);
  PropertyWidget *b = sized(board, "B", 50);
  PropertyWidget *c = sized(board, "C", 50);
  board->insertWidget(c, a, true);
  EXPECT_EQ(board->widgets(), (std::vector<PropertyWidget *>{c, a, b}));
  board->insertWidget(c, b, false);
  EXPECT_EQ(board->widgets(), (std::vector<PropertyWidget *>{a, b, c}));
  board->removeWidget(b);
  EXPECT_EQ(board->widgets(), (std::vector<PropertyWidget *>{a, c}));
  EXPECT_EQ(b->parentWidget(), nullptr);
  delete b;
  delete a;
  EXPECT_EQ(board->widgets(), (std::vector<PropertyWidget *>{c}));
}

}  // namespace
