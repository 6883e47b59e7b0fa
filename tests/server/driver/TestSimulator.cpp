// test_simulator: a library driver of the in-process server, for the tests. Device "Test Simulator"
// with a CONNECTION switch, a writable number TEST_VALUE.VALUE, and a BLOB TEST_BLOB.DATA that it
// sends ("hello", format ".txt") whenever SEND_BLOB.SEND is switched on.
#include <kestor.h>

#include <expat.h>

#include <cerrno>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char DEVICE[] = "Test Simulator";

struct Driver {
  int fd = -1;
  bool connected = false;
  std::string value = "42";
  // The new*Vector being read and its current item.
  std::string vector, property, item, text;
  bool connect = false, send = false;

  void write(const std::string &xml) {
    std::string_view rest = xml;
    while (!rest.empty()) {
      const ssize_t sent = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) return;
      rest.remove_prefix(static_cast<size_t>(sent));
    }
  }

  std::string connection(const char *verb, const char *extra) const {
    const std::string one = std::string(verb) == "def" ? "defSwitch" : "oneSwitch";
    return "<" + std::string(verb) + "SwitchVector device=\"" + DEVICE + "\" name=\"CONNECTION\" state=\"Ok\"" + extra +
           ">\n<" + one + " name=\"CONNECT\">" + (connected ? "On" : "Off") + "</" + one + ">\n<" + one +
           " name=\"DISCONNECT\">" + (connected ? "Off" : "On") + "</" + one + ">\n</" + verb + "SwitchVector>\n";
  }

  std::string number(const char *verb, const char *extra) const {
    const std::string one = std::string(verb) == "def" ? "defNumber" : "oneNumber";
    const std::string limits = one == "defNumber" ? " format=\"%g\" min=\"0\" max=\"1000\" step=\"1\"" : "";
    return "<" + std::string(verb) + "NumberVector device=\"" + DEVICE + "\" name=\"TEST_VALUE\" state=\"Ok\"" + extra +
           ">\n<" + one + " name=\"VALUE\"" + limits + ">" + value + "</" + one + ">\n</" + verb + "NumberVector>\n";
  }

  void define() {
    write(connection("def", " label=\"Connection\" group=\"Main\" perm=\"rw\" rule=\"OneOfMany\""));
    write(number("def", " label=\"Value\" group=\"Main\" perm=\"rw\""));
    write(std::string("<defSwitchVector device=\"") + DEVICE +
          "\" name=\"SEND_BLOB\" label=\"Send\" group=\"Main\" state=\"Idle\" perm=\"rw\" rule=\"AtMostOne\">\n"
          "<defSwitch name=\"SEND\">Off</defSwitch>\n</defSwitchVector>\n");
    write(std::string("<defBLOBVector device=\"") + DEVICE +
          "\" name=\"TEST_BLOB\" label=\"Data\" group=\"Main\" state=\"Idle\" perm=\"ro\">\n"
          "<defBLOB name=\"DATA\"/>\n</defBLOBVector>\n");
  }

  void apply() {
    if (property == "CONNECTION") {
      connected = connect;
      write(connection("set", ""));
    } else if (property == "TEST_VALUE") {
      write(number("set", ""));
    } else if (property == "SEND_BLOB" && send) {
      write(std::string("<setBLOBVector device=\"") + DEVICE +
            "\" name=\"TEST_BLOB\" state=\"Ok\">\n"
            "<oneBLOB name=\"DATA\" size=\"5\" format=\".txt\">aGVsbG8=</oneBLOB>\n</setBLOBVector>\n");
      write(std::string("<setSwitchVector device=\"") + DEVICE +
            "\" name=\"SEND_BLOB\" state=\"Ok\">\n"
            "<oneSwitch name=\"SEND\">Off</oneSwitch>\n</setSwitchVector>\n");
    }
  }

  static const char *attribute(const char **attributes, const char *key) {
    for (; attributes[0]; attributes += 2)
      if (std::string(attributes[0]) == key) return attributes[1];
    return "";
  }

  void start(const std::string &name, const char **attributes) {
    text.clear();
    if (name == "getProperties") {
      const std::string device = attribute(attributes, "device");
      if (device.empty() || device == DEVICE) define();
    } else if (name.starts_with("new") && std::string(attribute(attributes, "device")) == DEVICE) {
      vector = name;
      property = attribute(attributes, "name");
      connect = connected;
      send = false;
    } else if (name.starts_with("one")) {
      item = attribute(attributes, "name");
    }
  }

  void end(const std::string &name) {
    if (name == vector) {
      apply();
      vector.clear();
      return;
    }
    const size_t first = text.find_first_not_of(" \t\r\n");
    const std::string trimmed =
        first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    if (name == "oneNumber" && item == "VALUE") value = trimmed;
    if (name == "oneSwitch" && item == "CONNECT") connect = trimmed == "On";
    if (name == "oneSwitch" && item == "DISCONNECT" && trimmed == "On") connect = false;
    if (name == "oneSwitch" && item == "SEND") send = trimmed == "On";
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int kestor_driver_main(int fd, const char *) {
  Driver driver;
  driver.fd = fd;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, &driver);
  XML_SetElementHandler(
      parser,
      [](void *d, const char *name, const char **attributes) { static_cast<Driver *>(d)->start(name, attributes); },
      [](void *d, const char *name) { static_cast<Driver *>(d)->end(name); });
  XML_SetCharacterDataHandler(
      parser, [](void *d, const char *s, int n) { static_cast<Driver *>(d)->text.append(s, static_cast<size_t>(n)); });
  XML_Parse(parser, "<stream>", 8, XML_FALSE);
  char buffer[4096];
  int status = 0;
  for (;;) {
    const ssize_t received = read(fd, buffer, sizeof buffer);
    if (received < 0 && errno == EINTR) continue;
    if (received <= 0) break;
    if (XML_Parse(parser, buffer, static_cast<int>(received), XML_FALSE) != XML_STATUS_OK) {
      status = 1;
      break;
    }
  }
  XML_ParserFree(parser);
  return status;
}
