// kestor-probe against a scripted server: one line per callback, and the change it was asked for.
#include "support/Command.h"
#include "support/IndiServer.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <future>

TEST(KestorProbe, PrintsCallbacksAndSendsTheChange) {
  test_support::ScriptedServer server;
  const std::string command = std::string(PROBE_PATH) + " 127.0.0.1:" + std::to_string(server.port()) +
                              " --seconds 2 --set 'Tele.scope.CONNECTION.CONNECTED=On' --blobs 'Tele.scope.CCD1'";
  auto output = std::async(std::launch::async, [&] { return test_support::runCommand(command); });
  ASSERT_TRUE(server.waitForClient());
  server.send(
      "<defSwitchVector device=\"Tele.scope\" name=\"CONNECTION\" state=\"Idle\" perm=\"rw\" rule=\"OneOfMany\">"
      "<defSwitch name=\"CONNECT\">Off</defSwitch><defSwitch name=\"DISCONNECT\">On</defSwitch></defSwitchVector>\n"
      "<defBLOBVector device=\"Tele.scope\" name=\"CCD1\" state=\"Idle\" perm=\"ro\"><defBLOB "
      "name=\"CCD1\"/></defBLOBVector>\n");
  EXPECT_TRUE(server.waitForReceived("<oneSwitch name=\"CONNECT\">On</oneSwitch>"));
  EXPECT_TRUE(server.waitForReceived("<enableBLOB device=\"Tele.scope\" name=\"CCD1\">Also</enableBLOB>"));
  server.send(
      "<setSwitchVector device=\"Tele.scope\" name=\"CONNECTION\" state=\"Ok\">"
      "<oneSwitch name=\"CONNECT\">On</oneSwitch></setSwitchVector>\n"
      "<setBLOBVector device=\"Tele.scope\" name=\"CCD1\" state=\"Ok\">"
      "<oneBLOB name=\"CCD1\" size=\"6\" format=\".fits\">U0lNUExF</oneBLOB></setBLOBVector>\n"
      "<message device=\"Tele.scope\" message=\"[INFO] hello\"/>\n<delProperty device=\"Tele.scope\"/>\n");
  const std::string text = output.get();
  EXPECT_NE(text.find("define Tele.scope CONNECTION state=0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("update Tele.scope CONNECTION state=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("update Tele.scope CCD1 state=1 CCD1=6.fits\n"), std::string::npos) << text;
  EXPECT_NE(text.find("message [INFO] hello\n"), std::string::npos) << text;
  EXPECT_NE(text.find("delete Tele.scope  state=0\n"), std::string::npos) << text;
}

TEST(KestorProbe, RefusesBadArguments) {
  for (const char *arguments :
       {"", "localhost", "127.0.0.1:x", "127.0.0.1:7624 --set nodots=1", "127.0.0.1:7624 --seconds"}) {
    const int status = std::system((std::string(PROBE_PATH) + " " + arguments + " 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2) << arguments;
  }
}

// The probe on a simulator server.
TEST(KestorProbe, ConnectsATelescopeSimulator) {
  test_support::IndiServer server({"indi_simulator_telescope"});
  ASSERT_TRUE(server.start()) << server.log();
  const std::string text =
      test_support::runCommand(std::string(PROBE_PATH) + " 127.0.0.1:" + std::to_string(server.port()) +
                               " --seconds 2 --set 'Telescope Simulator.CONNECTION.CONNECTED=On'");
  EXPECT_NE(text.find("define Telescope Simulator CONNECTION state=0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("update Telescope Simulator CONNECTION state=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("define Telescope Simulator MOUNT_EQUATORIAL_COORDINATES state="), std::string::npos) << text;
  EXPECT_NE(text.find("define Telescope Simulator GEOGRAPHIC_COORDINATES state="), std::string::npos) << text;
}
