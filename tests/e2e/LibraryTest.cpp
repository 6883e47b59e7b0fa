// The bus library alone, end to end against a real indiserver with the simulator drivers, on a
// free loopback port.
#include "RecordingClient.h"

#include "support/Command.h"
#include "support/IndiServer.h"

#include <gtest/gtest.h>

#include <fitsio.h>

#include <cstdio>
#include <cstring>

using test_support::IndiServer;

namespace {

const kestor_item *item(const kestor_property *p, const char *name) {
  for (int32_t i = 0; i < p->count; ++i)
    if (std::strncmp(p->items[i].name, name, sizeof p->items[i].name) == 0) return &p->items[i];
  return nullptr;
}

void switchOn(RecordingClient &recorder, const char *device, const char *property, const char *name) {
  char buffer[128] = {};
  std::snprintf(buffer, sizeof buffer, "%s", name);
  char *items[] = {buffer};
  bool on = true;
  ASSERT_EQ(kestor_change_switch_property(recorder.client(), device, property, 1, items, &on), KESTOR_OK);
}

class KestorIndiServer : public ::testing::Test {
protected:
  void connect(IndiServer &server) {
    ASSERT_TRUE(server.start()) << server.log();
    ASSERT_EQ(kestor_connect_server(nullptr, "127.0.0.1", server.port(), &entry), KESTOR_OK);
  }
  RecordingClient recorder;
  kestor_server_entry *entry = nullptr;
};

}  // namespace

TEST_F(KestorIndiServer, TelescopeConnectsTakesChangesAndDiesCleanly) {
  IndiServer server({"indi_simulator_telescope"});
  connect(server);
  const Event connection = recorder.waitFor("define", "Telescope Simulator", "CONNECTION");
  ASSERT_FALSE(connection.kind.empty()) << server.log();
  ASSERT_NE(item(connection.record, "CONNECTED"), nullptr);
  ASSERT_NE(item(connection.record, "DISCONNECTED"), nullptr);

  switchOn(recorder, "Telescope Simulator", "CONNECTION", "CONNECTED");
  const Event connected = recorder.waitFor(
      [](const Event &e) { return e.kind == "update" && e.property == "CONNECTION" && e.state == KESTOR_STATE_OK; });
  ASSERT_FALSE(connected.kind.empty()) << server.log();
  EXPECT_FALSE(recorder.waitFor("define", "Telescope Simulator", "MOUNT_EQUATORIAL_COORDINATES").kind.empty());
  const Event site = recorder.waitFor("define", "Telescope Simulator", "GEOGRAPHIC_COORDINATES");
  ASSERT_FALSE(site.kind.empty());
  EXPECT_NE(item(site.record, "LATITUDE"), nullptr);

  char lat[128] = "LATITUDE", lon[128] = "LONGITUDE", elev[128] = "ELEVATION";
  char *names[] = {lat, lon, elev};
  double values[] = {51.4769, 10.25, 46};
  ASSERT_EQ(kestor_change_number_property(recorder.client(), "Telescope Simulator", "GEOGRAPHIC_COORDINATES", 3, names,
                                          values),
            KESTOR_OK);
  ASSERT_FALSE(recorder.waitFor("update", "Telescope Simulator", "GEOGRAPHIC_COORDINATES").kind.empty());
  // Checked independently of the library, with INDI's own command-line client.
  const std::string value = test_support::runCommand("indi_getprop -h 127.0.0.1 -p " + std::to_string(server.port()) +
                                                     " -t 5 'Telescope Simulator.GEOGRAPHIC_COORD.LAT' 2>&1");
  EXPECT_NE(value.find("Telescope Simulator.GEOGRAPHIC_COORD.LAT=51.47"), std::string::npos) << value;

  server.kill();
  const Event gone = recorder.waitFor("delete", "Telescope Simulator", "");
  ASSERT_FALSE(gone.kind.empty());
  EXPECT_EQ(gone.property, "");
  EXPECT_TRUE(recorder.waitForLog("ended: closed by the server"));
}

TEST_F(KestorIndiServer, CcdExposureDeliversAFitsImage) {
  IndiServer server({"indi_simulator_ccd"});
  std::mutex mutex;
  std::string image;
  double value = -1, target = -1;           // the exposure's
  recorder.onEvent = [&](const Event &e) {  // copied while the library holds the record still
    std::lock_guard lock(mutex);
    if (e.kind == "update" && e.property == "CCD_EXPOSURE") {
      value = e.record->items[0].number_value;
      target = e.record->items[0].number_target;
    }
    if (e.kind != "update" || e.property != "CCD1" || !e.record->items[0].blob_value) return;
    image.assign(static_cast<const char *>(e.record->items[0].blob_value), size_t(e.record->items[0].blob_size));
  };
  connect(server);
  ASSERT_FALSE(recorder.waitFor("define", "CCD Simulator", "CONNECTION").kind.empty()) << server.log();
  switchOn(recorder, "CCD Simulator", "CONNECTION", "CONNECTED");
  const Event blob = recorder.waitFor("define", "CCD Simulator", "CCD1");
  ASSERT_FALSE(blob.kind.empty()) << server.log();
  ASSERT_FALSE(recorder.waitFor("define", "CCD Simulator", "CCD_EXPOSURE").kind.empty());
  ASSERT_EQ(kestor_enable_blob(recorder.client(), blob.record, KESTOR_BLOB_ALSO), KESTOR_OK);

  char exposure[128] = "CCD_EXPOSURE_VALUE";
  char *names[] = {exposure};
  double seconds = 1;
  ASSERT_EQ(kestor_change_number_property(recorder.client(), "CCD Simulator", "CCD_EXPOSURE", 1, names, &seconds),
            KESTOR_OK);
  const Event delivered = recorder.waitFor("update", "CCD Simulator", "CCD1", std::chrono::seconds(20));
  ASSERT_FALSE(delivered.kind.empty()) << server.log();
  EXPECT_EQ(std::string(delivered.record->items[0].blob_format), ".fits");

  std::lock_guard lock(mutex);
  EXPECT_EQ(value, 0);  // counted down, while the target is still what this client sent
  EXPECT_EQ(target, 1);
  ASSERT_GT(image.size(), 2880u);
  void *memory = image.data();
  size_t size = image.size();
  fitsfile *fits = nullptr;
  int status = 0;
  ASSERT_EQ(fits_open_memfile(&fits, "image.fits", READONLY, &memory, &size, 0, nullptr, &status), 0) << status;
  int bitpix = 0, axes = 0;
  long dimensions[3] = {};
  fits_get_img_param(fits, 3, &bitpix, &axes, dimensions, &status);
  fits_close_file(fits, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(axes, 2);
  EXPECT_GT(dimensions[0], 0);
  EXPECT_GT(dimensions[1], 0);
}
