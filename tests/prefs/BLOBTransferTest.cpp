// Confirming the preferences with BLOB transfer on, against the CCD simulator: the next
// exposure arrives and is shown as a picture in the CCD's image widget.
#include "BusPanel.h"
#include "kestor/Model.h"
#include "widgets/ImageView.h"
#include "widgets/PropertyWidget.h"

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString CCD = QStringLiteral("CCD Simulator");

TEST(BLOBTransfer, ConfirmedOnMakesAnExposureArriveAsAPicture) {
  BusPanel bus;
  ASSERT_TRUE(bus.ok()) << bus.server.log();
  bus.kestor().refreshDelay = 0.5;
  bus.connectServer();
  ASSERT_TRUE(bus.waitForDevices());
  ASSERT_TRUE(bus.showGroup(CCD, QStringLiteral("Main Control")));
  ASSERT_TRUE(bus.switchConnection(CCD, true));
  ASSERT_TRUE(QTest::qWaitFor([&] { return bus.kestor().devices.at(CCD)->properties.count("CCD1") == 1; }, 10000));
  const auto blob = bus.kestor().devices.at(CCD)->properties.at("CCD1");

  bus.interface->mainUi.preferencesAction->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(bus.interface->preferencePanel));
  QCheckBox *box = bus.interface->preferencesUi.enableBLOBTransferButton;
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
  ASSERT_TRUE(bus.interface->preferencesUi.enableBLOBTransferButton->isChecked());
  QTest::mouseClick(bus.interface->preferencesUi.buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
  QTest::qWait(1000);  // the transfer mode reaches the server before the exposure starts

  ASSERT_TRUE(bus.showGroup(CCD, blob->group));
  PropertyWidget *picture = bus.waitForWidget(CCD, QStringLiteral("CCD1"));
  ASSERT_NE(picture, nullptr);
  auto exposure = bus.kestor().devices.at(CCD)->properties.at("CCD_EXPOSURE");
  bus.kestor().changeNumber(exposure, {{exposure->itemNames.first(), 0.5}});
  auto *view = picture->findChild<ImageView *>(QStringLiteral("value:CCD1"));
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->pixmap().isNull(); }, 30000));
  EXPECT_EQ(view->pixmap().size(), QSize(375, 300));  // the 1280 x 1024 frame as it fits the view
}

}  // namespace
