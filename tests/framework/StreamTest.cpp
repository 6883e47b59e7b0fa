// The stream of one server, fed straight into a session: the recorded traces, the records they
// leave behind, and every kind of bad input.
#include "Base64Text.h"
#include "RecordingClient.h"

#include "Registry.h"
#include "Session.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

using namespace kestor;

namespace {

std::string readTrace(const std::string &name) {
  std::ifstream file(std::string(TRACES_DIR) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

const kestor_item *item(const kestor_property *p, std::string_view name) {
  for (int32_t i = 0; i < p->count; ++i)
    if (fieldText(p->items[i].name) == name) return &p->items[i];
  return nullptr;
}

class KestorStream : public ::testing::Test {
protected:
  RecordingClient recorder;
  Registry registry;
  kestor_device endpoint;
  std::vector<std::string> replies;
  Session session{registry, &endpoint, "test", [this](const std::string &xml) { replies.push_back(xml); }};

  // Feeds in small pieces, as a slow network would deliver it.
  bool feed(const std::string &text, size_t piece = 4096) {
    for (size_t i = 0; i < text.size(); i += piece)
      if (!session.feed(text.data() + i, std::min(piece, text.size() - i))) return false;
    return true;
  }

  kestor_property *live(const char *device, const char *name) {
    std::lock_guard lock(registry.mutex());
    return registry.live(device, name);
  }

  size_t count(const std::string &kind) const {
    size_t n = 0;
    for (const auto &e : recorder.events()) n += e.kind == kind;
    return n;
  }
};

const char CONNECTION_DEF[] =
    "<defSwitchVector device=\"Cam\" name=\"CONNECTION\" label=\"Connection\" group=\"Main Control\" state=\"Idle\" "
    "perm=\"rw\" rule=\"OneOfMany\">\n<defSwitch name=\"CONNECT\" label=\"Connect\">\nOff\n</defSwitch>\n"
    "<defSwitch name=\"DISCONNECT\" label=\"Disconnect\">\nOn\n</defSwitch>\n</defSwitchVector>\n";

const char BLOB_DEF[] =
    "<defBLOBVector device=\"Cam\" name=\"CCD1\" label=\"Image\" group=\"Image\" state=\"Idle\" perm=\"ro\">"
    "<defBLOB name=\"CCD1\" label=\"Image\"/></defBLOBVector>\n";

std::string blobSet(const std::string &size, const std::string &format, const std::string &content) {
  return "<setBLOBVector device=\"Cam\" name=\"CCD1\" state=\"Ok\"><oneBLOB name=\"CCD1\" size=\"" + size +
         "\" format=\"" + format + "\" len=\"" + size + "\">\n" + content + "\n    </oneBLOB></setBLOBVector>\n";
}

}  // namespace

TEST_F(KestorStream, DefinitionTraceFillsRecords) {
  ASSERT_TRUE(feed(readTrace("indi-trace-defs.xml"), 7)) << session.error();
  EXPECT_GE(count("define"), 20u);  // the trace holds the start of the burst

  const kestor_property *connection = live("CCD Simulator", "CONNECTION");
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(std::vector<uint32_t>({connection->type, connection->rule, connection->perm, connection->state}),
            std::vector<uint32_t>({KESTOR_SWITCH, KESTOR_RULE_ONE_OF_MANY, KESTOR_PERM_RW, KESTOR_STATE_IDLE}));
  EXPECT_EQ(connection->version, KESTOR_PROTOCOL_INDI_1_7);
  EXPECT_EQ(fieldText(connection->group), "Main Control");
  EXPECT_EQ(fieldText(connection->label), "Connection");
  ASSERT_EQ(connection->count, 2);
  EXPECT_EQ(fieldText(connection->items[1].name), "DISCONNECTED");
  EXPECT_TRUE(connection->items[1].switch_value && !connection->items[0].switch_value);
  const kestor_item *period = item(live("CCD Simulator", "POLLING_PERIOD"), "PERIOD_MS");
  EXPECT_EQ(fieldText(period->number_format), "%.f");
  EXPECT_EQ(std::vector<double>({period->number_min, period->number_max, period->number_step, period->number_value,
                                 period->number_target}),
            std::vector<double>({10, 600000, 1000, 1000, 1000}));
  const kestor_property *info = live("CCD Simulator", "DRIVER_INFO");
  EXPECT_EQ(info->perm, uint32_t(KESTOR_PERM_RO));
  EXPECT_EQ(fieldText(item(info, "DRIVER_EXEC")->text_value), "indi_simulator_ccd");  // trimmed
}

TEST_F(KestorStream, SessionTraceTranslatesNamesAndSkipsElidedBlobs) {
  ASSERT_TRUE(feed(readTrace("indi-trace-session-B-connect-expose.xml"))) << session.error();
  EXPECT_EQ(live("Telescope Simulator", "EQUATORIAL_EOD_COORD"), nullptr);
  const kestor_property *mount = live("Telescope Simulator", "MOUNT_EQUATORIAL_COORDINATES");
  ASSERT_NE(mount, nullptr);
  EXPECT_EQ(fieldText(item(mount, "RA")->number_format), "%010.6m");
  EXPECT_FALSE(recorder.events("update", "Telescope Simulator", "MOUNT_EQUATORIAL_COORDINATES").empty());
  EXPECT_NE(item(live("Telescope Simulator", "GEOGRAPHIC_COORDINATES"), "LONGITUDE"), nullptr);
  EXPECT_EQ(recorder.waitFor("update", "CCD Simulator", "CONNECTION").state, uint32_t(KESTOR_STATE_OK));
  EXPECT_GE(count("message"), 1u);

  // The capture shortened the base64 contents: the BLOB is refused, the record stays empty.
  EXPECT_TRUE(recorder.logged("not base64"));
  EXPECT_EQ(live("CCD Simulator", "CCD1")->items[0].blob_value, nullptr);
  EXPECT_TRUE(recorder.events("update", "CCD Simulator", "CCD1").empty());
}

TEST_F(KestorStream, DeletionsAndEndOfStream) {
  ASSERT_TRUE(feed(readTrace("indi-trace-session-C-slew-guide-disconnect.xml"))) << session.error();
  const auto deleted = recorder.events("delete", "Guide Simulator");
  EXPECT_EQ(deleted.size(), 32u);
  EXPECT_EQ(live("Guide Simulator", "CCD_FRAME"), nullptr);
  EXPECT_NE(live("Guide Simulator", "CONNECTION"), nullptr);

  session.end();
  for (const char *device : {"CCD Simulator", "Telescope Simulator", "Guide Simulator"}) {
    const auto wide = recorder.events("delete", device, "");
    ASSERT_FALSE(wide.empty()) << device;
    EXPECT_EQ(wide.back().property, "") << device;
    EXPECT_EQ(live(device, "CONNECTION"), nullptr);
  }
}

TEST_F(KestorStream, LightsOfTheWeatherTrace) {
  ASSERT_TRUE(feed(readTrace("indi-trace-weather-lights.xml"))) << session.error();
  size_t lights = 0;
  for (const auto &e : recorder.events("define", "Weather Simulator")) {
    if (e.record->type != KESTOR_LIGHT) continue;
    ++lights;
    EXPECT_EQ(e.record->perm, uint32_t(KESTOR_PERM_RO));
    for (int32_t i = 0; i < e.record->count; ++i) EXPECT_LE(e.record->items[i].light_value, 3u);
  }
  EXPECT_GT(lights, 0u);
}

TEST_F(KestorStream, RedefinitionOfTheSameItemsKeepsTheRecord) {
  ASSERT_TRUE(feed(CONNECTION_DEF));
  kestor_property *first = live("Cam", "CONNECTION");
  ASSERT_TRUE(feed(CONNECTION_DEF));
  EXPECT_EQ(live("Cam", "CONNECTION"), first);
  EXPECT_EQ(count("define"), 2u);
  EXPECT_EQ(count("delete"), 0u);

  // Another shape: the old property is deleted, then defined anew.
  ASSERT_TRUE(
      feed("<defSwitchVector device=\"Cam\" name=\"CONNECTION\" perm=\"rw\" rule=\"AnyOfMany\" state=\"Ok\">"
           "<defSwitch name=\"A\">On</defSwitch><defSwitch name=\"B\">Off</defSwitch>"
           "<defSwitch name=\"C\">On</defSwitch></defSwitchVector>"));
  const auto events = recorder.events();
  ASSERT_EQ(events.size(), 5u);  // attach, define, define, delete, define
  EXPECT_EQ(events[3].kind, "delete");
  EXPECT_EQ(events[3].record, first);  // the old record ends with its property
  EXPECT_EQ(events[4].kind, "define");
  kestor_property *now = live("Cam", "CONNECTION");
  ASSERT_EQ(now->count, 3);
  EXPECT_EQ(fieldText(now->items[2].name), "C");
  EXPECT_EQ(fieldText(now->label), "CONNECTION");  // no label: the name

  // Deleted and defined again: a record of its own again.
  ASSERT_TRUE(feed("<delProperty device=\"Cam\" name=\"CONNECTION\" message=\"gone\"/>"));
  EXPECT_EQ(recorder.events("delete", "Cam").back().message, "gone");
  EXPECT_EQ(live("Cam", "CONNECTION"), nullptr);
  ASSERT_TRUE(feed(CONNECTION_DEF));
  ASSERT_NE(live("Cam", "CONNECTION"), nullptr);
  EXPECT_EQ(live("Cam", "CONNECTION")->count, 2);
}

// A number's target is what this client sent: a repeated definition (a refresh) keeps it and
// takes numbers sent since, as an update does; a property defined anew starts from its values.
TEST_F(KestorStream, RepeatedDefinitionsKeepTheTargetsSent) {
  const auto exposure = [](const char *value, const char *items) {
    return std::string("<defNumberVector device=\"Cam\" name=\"CCD_EXPOSURE\" perm=\"rw\" state=\"Idle\">") + items +
           "<defNumber name=\"CCD_EXPOSURE_VALUE\" format=\"%g\">" + value + "</defNumber></defNumberVector>\n";
  };
  const auto send = [&](double seconds) {
    kestor_property *record = live("Cam", "CCD_EXPOSURE");
    std::lock_guard lock(registry.mutex());
    registry.keepSent(record, {{"CCD_EXPOSURE_VALUE", seconds}});
  };
  const auto target = [&] { return item(live("Cam", "CCD_EXPOSURE"), "CCD_EXPOSURE_VALUE")->number_target; };
  ASSERT_TRUE(feed(exposure("1", "")));
  EXPECT_EQ(target(), 1);
  send(5);
  ASSERT_TRUE(feed(exposure("0", "")));  // taken by the repeated definition
  EXPECT_EQ(target(), 5);
  ASSERT_TRUE(feed(exposure("2", "")));
  EXPECT_EQ(target(), 5);
  ASSERT_TRUE(feed(exposure("3", "<defNumber name=\"X\" format=\"%g\">0</defNumber>")));  // other items
  EXPECT_EQ(target(), 3);
  ASSERT_TRUE(feed("<delProperty device=\"Cam\" name=\"CCD_EXPOSURE\"/>" + exposure("4", "")));  // after its delete
  EXPECT_EQ(target(), 4);
}

TEST_F(KestorStream, BlobsDecodedInflatedAndChecked) {
  ASSERT_TRUE(feed(BLOB_DEF));
  kestor_property *p = live("Cam", "CCD1");
  const std::string fits = "SIMPLE  =                    T" + std::string(2850, ' ');
  ASSERT_TRUE(feed(blobSet(std::to_string(fits.size()), ".fits", encodeBase64(fits))));
  ASSERT_EQ(p->items[0].blob_size, int64_t(fits.size()));
  EXPECT_EQ(std::string(static_cast<const char *>(p->items[0].blob_value), fits.size()), fits);
  EXPECT_EQ(fieldText(p->items[0].blob_format), ".fits");
  EXPECT_EQ(fieldText(p->items[0].blob_url), "");

  std::string packed(compressBound(fits.size()), '\0');
  uLongf packedSize = packed.size();
  ASSERT_EQ(compress(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
                     reinterpret_cast<const Bytef *>(fits.data()), fits.size()),
            Z_OK);
  packed.resize(packedSize);
  ASSERT_TRUE(feed(blobSet(std::to_string(fits.size()), ".fits.z", encodeBase64(packed))));
  EXPECT_EQ(fieldText(p->items[0].blob_format), ".fits");
  EXPECT_EQ(std::string(static_cast<const char *>(p->items[0].blob_value), fits.size()), fits);
  // Any other BLOB holds what it holds: fpack'ed frames declare the image's size.
  ASSERT_TRUE(feed(blobSet("2629440", ".fits.fz", encodeBase64(fits))));
  EXPECT_EQ(p->items[0].blob_size, int64_t(fits.size()));
  EXPECT_EQ(fieldText(p->items[0].blob_format), ".fits.fz");
  EXPECT_EQ(recorder.events("update", "Cam", "CCD1").size(), 3u);

  // Every bad BLOB is skipped and leaves the record as it was.
  const void *before = p->items[0].blob_value;
  const std::vector<std::string> bad = {
      blobSet("99999999999999", ".fits", encodeBase64(fits)),  // absurd size
      blobSet("-1", ".fits", encodeBase64(fits)),
      blobSet("1e3", ".fits", encodeBase64(fits)),
      blobSet(std::to_string(fits.size() + 1), ".fits.z", encodeBase64(packed)),  // inflates to another size
      blobSet("100", ".fits.z", encodeBase64("not zlib data")),
      blobSet("6", ".fits", "U0lN*UExF"),
  };
  for (const auto &element : bad) ASSERT_TRUE(feed(element)) << element.substr(0, 120);
  EXPECT_EQ(p->items[0].blob_value, before);
  EXPECT_EQ(p->items[0].blob_size, int64_t(fits.size()));
  EXPECT_EQ(recorder.events("update", "Cam", "CCD1").size(), 3u);
}

// Half of what a BLOB declares, decoded, is told to the application once, with the size declared;
// a size the library does not accept, or bytes that stay below half of it, tell nothing.
TEST_F(KestorStream, HalfABlobIsAnnouncedOnce) {
  static std::vector<size_t> announced;
  struct Hook {
    Hook() {
      kestor_blob_half_arrived = [](void *data, size_t declared) { announced.push_back(data ? declared : 0); };
    }
    ~Hook() { kestor_blob_half_arrived = nullptr; }
  } hook;
  ASSERT_TRUE(feed(BLOB_DEF));
  const std::string text = encodeBase64(std::string(3000, 'x'));
  const std::pair<const char *, std::vector<size_t>> cases[] = {
      {"3000", {3000}},    {" 3000 ", {3000}}, {"6000", {6000}},  // half of it
      {"6001", {}},                                               // less than half
      {"99999999999", {}}, {"536870913", {}},  {"1e9", {}},      {"-6000", {}}, {"0", {}},
  };
  for (const auto &[size, expected] : cases)
    for (const size_t piece : {size_t(1), size_t(4096)}) {
      announced.clear();
      ASSERT_TRUE(feed(blobSet(size, ".fits", text), piece)) << session.error();
      EXPECT_EQ(announced, expected) << "size \"" << size << "\" in pieces of " << piece;
    }
}

TEST_F(KestorStream, SkippedElementsLeaveALogLine) {
  ASSERT_TRUE(feed(CONNECTION_DEF));
  const std::pair<const char *, const char *> cases[] = {
      {"<frobnicate device=\"Cam\"/>", "unknown element"},
      {"<setSwitchVector device=\"Cam\" name=\"NOPE\"><oneSwitch name=\"A\">On</oneSwitch></setSwitchVector>",
       "unknown property"},
      {"<setSwitchVector device=\"Cam\" name=\"CONNECTION\"><oneSwitch "
       "name=\"CONNECT\">Maybe</oneSwitch></setSwitchVector>",
       "switch value"},
      {"<setSwitchVector device=\"Cam\" name=\"CONNECTION\" state=\"Sleepy\"></setSwitchVector>", "state"},
      {"<setNumberVector device=\"Cam\" name=\"CONNECTION\"></setNumberVector>", "another type"},
      {"<setSwitchVector name=\"CONNECTION\"></setSwitchVector>", "without device"},
      {"<defTextVector device=\"Cam\" name=\"T\"><defNumber name=\"x\">1</defNumber></defTextVector>", "inside"},
      {"<defNumberVector device=\"Cam\" name=\"N\"><defNumber name=\"x\">one</defNumber></defNumberVector>", "number"},
      {"<delProperty device=\"Cam\" name=\"NOPE\"/>", "deletion of unknown"},
  };
  for (const auto &[element, log] : cases) {
    const size_t before = recorder.events().size();
    ASSERT_TRUE(feed(element)) << element;
    EXPECT_EQ(recorder.events().size(), before) << element;
    EXPECT_TRUE(recorder.logged(log)) << element;
  }
  // An update that names an unknown item still applies the others.
  ASSERT_TRUE(
      feed("<setSwitchVector device=\"Cam\" name=\"CONNECTION\" state=\"Ok\"><oneSwitch name=\"X\">On</oneSwitch>"
           "<oneSwitch name=\"CONNECT\">On</oneSwitch></setSwitchVector>"));
  EXPECT_TRUE(recorder.logged("unknown item Cam.CONNECTION.X"));
  EXPECT_TRUE(item(live("Cam", "CONNECTION"), "CONNECTED")->switch_value);
  // Echoed changes of other clients are ignored quietly.
  const size_t lines = recorder.logLines().size();
  ASSERT_TRUE(
      feed("<newSwitchVector device=\"Cam\" name=\"CONNECTION\"><oneSwitch "
           "name=\"CONNECT\">On</oneSwitch></newSwitchVector>"));
  EXPECT_EQ(recorder.logLines().size(), lines);
}

TEST_F(KestorStream, UnreadableStreamsAreGivenUp) {
  const std::pair<std::string, const char *> cases[] = {
      {"<defTextVector device=\"a\" name=\"b\"><oops></defTextVector>", "malformed"},
      {"<!DOCTYPE x [<!ENTITY a \"b\">]>", "malformed"},
      {"<message device=\"a\" message=\"&lol;\"/>", "malformed"},
      {"<mess\xFF\xFE"
       "age device=\"a\" message=\"x\"/>",
       "malformed"},  // a stray byte in markup
      {"<message device=\"a\" message=\"" + std::string(9 << 20, 'x'), "a tag exceeds the size limit of 1 MiB"},
      {"<defTextVector device=\"a\" name=\"b\"><defText name=\"t\">" + std::string(9 << 20, 'x'),
       "an element exceeds the size limit of 8 MiB"},
      {std::string(100 << 10, 'x'), "text between elements exceeds the size limit of 64 KiB"},
      {"<message message=\"x\"/>" + std::string(70000, ' ') + "<message message=\"y\"/>",
       "text between elements exceeds"},
      {"<!--" + std::string(70000, 'x') + "-->", "text between elements exceeds"},  // a comment is text there
      {"<!--" + std::string(2 << 20, 'x'), "a tag exceeds"},
      {"<setBLOBVector device=\"a\" name=\"b\"><oneBLOB name=\"" + std::string(2 << 20, 'x'), "a tag exceeds"},
      {"<defTextVector device=\"a\" name=\"b\">" +
           [] {
             std::string children;
             for (int i = 0; i < 5000; ++i) children += "<defText name=\"t\">x</defText>";
             return children;
           }(),
       "too many children"},
  };
  for (const auto &[bytes, why] : cases) {
    Session fresh(registry, &endpoint, "test", [](const std::string &) {});
    bool ok = true;
    for (size_t i = 0; ok && i < bytes.size(); i += 65536)
      ok = fresh.feed(bytes.data() + i, std::min<size_t>(65536, bytes.size() - i));
    EXPECT_FALSE(ok) << bytes.substr(0, 60);
    EXPECT_NE(fresh.error().find(why), std::string::npos) << fresh.error() << " for " << bytes.substr(0, 60);
    EXPECT_FALSE(fresh.feed("<message message=\"x\"/>", 22));  // and stays given up
  }
}

// An element's own tag is bounded by the tag and element limits, not by the one for text between
// elements: a long message or attribute goes through, and so does what follows it.
TEST_F(KestorStream, LongTagsWithinTheirLimitsGoThrough) {
  ASSERT_TRUE(feed(std::string(CONNECTION_DEF) +
                   "<defTextVector device=\"Cam\" name=\"T\" perm=\"rw\"><defText name=\"a\"/></defTextVector>"));
  const std::string longText(70000, 'm');
  const std::string next =
      "\n<setSwitchVector device=\"Cam\" name=\"CONNECTION\" state=\"Ok\"><oneSwitch "
      "name=\"CONNECT\">On</oneSwitch></setSwitchVector>";
  const struct {
    std::string element;
    const char *kind, *property;
  } cases[] = {
      {"<message device=\"Evil\" message=\"" + longText + "\"/>", "message", ""},
      {"<setTextVector device=\"Cam\" name=\"T\" message=\"" + longText +
           "\"><oneText name=\"a\">x</oneText></setTextVector>",
       "update", "T"},
  };
  for (const auto &[element, kind, property] : cases)
    for (const size_t piece : {size_t(1), size_t(4096), size_t(65536)}) {
      const size_t before = recorder.events().size();
      ASSERT_TRUE(feed(element + next, piece)) << kind << ": " << session.error();
      const std::vector<Event> events = recorder.events();
      ASSERT_EQ(events.size(), before + 2) << kind << " in pieces of " << piece;
      EXPECT_EQ(events[before].kind + events[before].property, kind + std::string(property));
      EXPECT_EQ(events[before].message, longText);
      EXPECT_EQ(events[before + 1].property, "CONNECTION");
    }
}

// Bytes that are not UTF-8 and characters that XML forbids reach the records and messages as text
// that is not valid UTF-8 (a forbidden character as the byte 0xFF); the stream goes on.
TEST_F(KestorStream, StrayBytesReachTheRecordsAsTextThatIsNotUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"Temperature \xB0"
       "C",
       "Temperature \xB0"
       "C"},                     // Latin-1
      {"bell\x07", "bell\xFF"},  // a control character
      {"nul&#0;", "nul\xFF"},    // references to forbidden characters
      {"&#7;&#x1F;&#xFFFE;&#55296;&#1114112;", "\xFF\xFF\xFF\xFF\xFF"},
      {"\xEF\xBF\xBF", "\xFF"},                                                // U+FFFF
      {"\xE2\x82x \xC0\xAF \xED\xA0\x80", "\xE2\x82x \xC0\xAF \xED\xA0\x80"},  // cut, overlong, surrogate
      {"\xF4\x8F\xBB\xBF&#x10FE80;", "\xF4\x8F\xBB\xBF\xF4\x8F\xBA\x80"},      // the filter's own range, sent
      {"\xC2\xB0 &#176; &amp; &#65;&#x42;", "\xC2\xB0 \xC2\xB0 & AB"},         // what was fine stays so
      {"&#12a; &# &#x;", ""},                                                  // no references: malformed
  };
  for (const size_t piece : {size_t(1), size_t(3), size_t(4096)})
    for (const auto &[sent, kept] : cases) {
      const std::string def = "<defTextVector device=\"Cam\" name=\"T\" label=\"L" + sent +
                              "\" perm=\"rw\" state=\"Idle\" message=\"M" + sent + "\"><defText name=\"t\" label=\"I" +
                              sent + "\">V" + sent + "</defText></defTextVector>\n";
      if (kept.empty()) {  // left to expat, which gives the stream up
        Session fresh(registry, &endpoint, "test", [](const std::string &) {});
        EXPECT_FALSE(fresh.feed(def.data(), def.size())) << sent;
        continue;
      }
      ASSERT_TRUE(feed(def, piece)) << sent << ": " << session.error();
      const Event defined = recorder.events("define", "Cam", "T").back();
      const kestor_property *p = defined.record;
      EXPECT_EQ(std::vector<std::string>({std::string(fieldText(p->label)), std::string(fieldText(p->items[0].label)),
                                          std::string(fieldText(p->items[0].text_value)), defined.message}),
                std::vector<std::string>({"L" + kept, "I" + kept, "V" + kept, "M" + kept}))
          << sent << " in pieces of " << piece;
    }
}

// The reader writes each element, and what it asks for, over the one before: nothing of a larger
// element before (its attributes, children, texts, state or BLOB contents) reaches the one after.
TEST_F(KestorStream, AnElementKeepsNothingOfTheOneBefore) {
  ASSERT_TRUE(feed(std::string(BLOB_DEF) +
                   "<defTextVector device=\"Cam\" name=\"T\" perm=\"rw\" state=\"Idle\"><defText name=\"a\">A</defText>"
                   "<defText name=\"b\">B</defText></defTextVector>\n"));
  struct Case {
    std::string before, element, a, b, message;
    uint32_t state;
  };
  const std::string two =
      "<setTextVector device=\"Cam\" name=\"T\" state=\"Alert\" message=\"first\"><oneText "
      "name=\"a\">x</oneText><oneText name=\"b\">y</oneText></setTextVector>";
  const Case cases[] = {
      {two, "<setTextVector device=\"Cam\" name=\"T\"><oneText name=\"a\"/></setTextVector>", "", "y", "",
       KESTOR_STATE_ALERT},
      {two, "<setTextVector device=\"Cam\" name=\"T\" state=\"Ok\"><oneText name=\"b\">z</oneText></setTextVector>",
       "x", "z", "", KESTOR_STATE_OK},
      {blobSet("1", ".txt", "QQ=="),
       "<setTextVector device=\"Cam\" name=\"T\"><oneText name=\"a\">after</oneText></setTextVector>", "after", "z", "",
       KESTOR_STATE_OK},
      // Nor does the state another property's update brought just before.
      {"<setTextVector device=\"Cam\" name=\"T\" state=\"Busy\"><oneText name=\"a\">busy</oneText></setTextVector>" +
           blobSet("1", ".txt", "QQ=="),
       "<setTextVector device=\"Cam\" name=\"T\"><oneText name=\"b\">w</oneText></setTextVector>", "busy", "w", "",
       KESTOR_STATE_BUSY},
  };
  for (const auto &[before, element, a, b, message, state] : cases)
    for (const size_t piece : {size_t(1), size_t(4096)}) {
      ASSERT_TRUE(feed(before + element, piece)) << element << ": " << session.error();
      const Event updated = recorder.events("update", "Cam", "T").back();
      const kestor_property *p = updated.record;
      EXPECT_EQ(std::vector<std::string>({std::string(fieldText(item(p, "a")->text_value)),
                                          std::string(fieldText(item(p, "b")->text_value)), updated.message}),
                std::vector<std::string>({a, b, message}))
          << element << " in pieces of " << piece;
      EXPECT_EQ(p->state, state) << element;
    }
}

TEST_F(KestorStream, MessagesAndPingsComeAfterTheElementsBeforeThem) {
  // The elements of one read are applied in one executor step; a message or ping ends the step.
  static int steps = 0;
  kestor_sync_executor = [](void (*fn)(void *), void *arg) { ++steps, fn(arg); };
  ASSERT_TRUE(feed(std::string(CONNECTION_DEF) + BLOB_DEF +
                   "<message device=\"Cam\" timestamp=\"2026-12-06T20:31:12\" message=\"[INFO] hello &amp; welcome\"/>"
                   "<pingRequest uid=\"42\"/>" +
                   blobSet("1", ".txt", "QQ==") + blobSet("1", ".txt", "Qg==")));
  kestor_sync_executor = nullptr;
  EXPECT_EQ(steps, 2);
  std::vector<std::string> kinds;
  for (const auto &event : recorder.events()) kinds.push_back(event.kind + " " + event.message);
  EXPECT_EQ(kinds, (std::vector<std::string>{"attach ", "define ", "define ", "message [INFO] hello & welcome",
                                             "update ", "update "}));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], "<pingReply uid=\"42\"/>\n");
}

TEST_F(KestorStream, NamesLongerThanTheirFieldsAreCutAlike) {
  const std::string device(200, 'D'), property = std::string(150, 'P') + "\xC3\xA9", itemName(300, 'I');
  const std::string def = "<defSwitchVector device=\"" + device + "\" name=\"" + property +
                          "\" perm=\"rw\" state=\"Idle\">"
                          "<defSwitch name=\"" +
                          itemName + "\">Off</defSwitch></defSwitchVector>";
  ASSERT_TRUE(feed(def));
  ASSERT_TRUE(feed(def));
  ASSERT_TRUE(feed("<setSwitchVector device=\"" + device + "\" name=\"" + property +
                   "\" state=\"Ok\">"
                   "<oneSwitch name=\"" +
                   itemName + "\">On</oneSwitch></setSwitchVector>"));
  const auto defines = recorder.events("define", device.substr(0, 127));
  ASSERT_EQ(defines.size(), 2u);
  EXPECT_EQ(defines[0].record, defines[1].record);
  EXPECT_EQ(defines[0].property, std::string(127, 'P'));
  EXPECT_TRUE(defines[0].record->items[0].switch_value);
  session.end();
  EXPECT_EQ(recorder.events("delete", device.substr(0, 127)).size(), 1u);
}

TEST_F(KestorStream, PipelinedStepsKeepTheOrderOfTheStream) {
  // Pipelined, each read's step runs on a thread of the session's own while the next read is
  // parsed; the callbacks, their values, the answer to a ping and the end come as in place.
  static std::mutex mutex;
  static std::set<std::thread::id> stepThreads;
  kestor_sync_executor = [](void (*fn)(void *), void *arg) {
    {
      std::lock_guard lock(mutex);
      stepThreads.insert(std::this_thread::get_id());
    }
    fn(arg);
  };
  std::string stream = std::string(CONNECTION_DEF) + BLOB_DEF;
  for (int i = 0; i < 300; ++i) stream += blobSet("1", ".txt", encodeBase64(std::string(1, char('a' + i % 26))));
  stream += "<message device=\"Cam\" message=\"between\"/><pingRequest uid=\"7\"/>" + blobSet("1", ".txt", "Qg==");
  std::vector<std::string> seen[2];
  for (const auto steps : {Session::Steps::InPlace, Session::Steps::Pipelined}) {
    auto &events = seen[steps == Session::Steps::Pipelined];
    recorder.onEvent = [&](const Event &e) {
      const kestor_item &first = e.record->items[0];
      events.push_back(e.kind + " " + e.property +
                       (e.kind == "update" ? " " + std::string(static_cast<char *>(first.blob_value), 1) : ""));
    };
    stepThreads.clear();
    Registry own;
    kestor_device device;
    {
      Session stepped(
          own, &device, "test", [&](const std::string &xml) { events.push_back(xml); }, steps);
      for (size_t i = 0; i < stream.size(); i += 1000)
        ASSERT_TRUE(stepped.feed(stream.data() + i, std::min<size_t>(1000, stream.size() - i)));
      stepped.end();
    }
    recorder.onEvent = nullptr;
    const bool elsewhere = stepThreads.size() > 1 || !stepThreads.count(std::this_thread::get_id());
    EXPECT_EQ(elsewhere, steps == Session::Steps::Pipelined);
  }
  kestor_sync_executor = nullptr;
  ASSERT_EQ(seen[0].size(), 2u + 300u + 1u + 1u + 1u) << "definitions, updates, ping answer, update, end";
  EXPECT_EQ(seen[0][302], "<pingReply uid=\"7\"/>\n");
  EXPECT_EQ(seen[0][303], "update CCD1 B");
  EXPECT_EQ(seen[1], seen[0]);
}
