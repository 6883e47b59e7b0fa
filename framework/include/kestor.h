/*
 * kestor.h: C interface of the KESTOR bus library.
 *
 * The library connects to bus servers (the INDI XML protocol, version 1.7, over TCP), keeps one
 * record per live property and calls the attached client's callbacks on its own threads.
 * A record keeps its address while its property lives: a redefinition with the same items updates
 * it in place (any other is a deletion and a new definition). A deleted record, and the device-wide
 * one of a device deletion, stays readable until the delete callback returns; the library then
 * frees it, with its BLOB bytes. Records deleted after kestor_stop (no callback announces them)
 * stay allocated.
 */
#ifndef KESTOR_H
#define KESTOR_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t kestor_result; /* 0 = success */
typedef uint32_t kestor_version;

#define KESTOR_VERSION_2_0 0x200 /* client record version */
#define KESTOR_VERSION_MAJOR 2
#define KESTOR_VERSION_MINOR 0
#define KESTOR_VERSION_BUILD 88
#define KESTOR_PROTOCOL_INDI_1_7 0x107 /* property version of properties defined by INDI 1.7 peers */
#define KESTOR_MAX_SUBPROCESSES 10

enum {
  KESTOR_OK = 0,
  KESTOR_FAILED = 1,
  KESTOR_NOT_FOUND = 2,
  KESTOR_INVALID = 3,
  KESTOR_NO_MEMORY = 4,
  KESTOR_TIMEOUT = 5,
  KESTOR_ALREADY = 6
};

/* property state, also the value of a light item */
enum { KESTOR_STATE_IDLE = 0, KESTOR_STATE_OK = 1, KESTOR_STATE_BUSY = 2, KESTOR_STATE_ALERT = 3 };
/* property type */
enum { KESTOR_TYPE_NONE = 0, KESTOR_TEXT = 1, KESTOR_NUMBER = 2, KESTOR_SWITCH = 3, KESTOR_LIGHT = 4, KESTOR_BLOB = 5 };
/* permission */
enum { KESTOR_PERM_NONE = 0, KESTOR_PERM_RO = 1, KESTOR_PERM_WO = 2, KESTOR_PERM_RW = 3 };
/* switch rule */
enum { KESTOR_RULE_NONE = 0, KESTOR_RULE_ONE_OF_MANY = 1, KESTOR_RULE_AT_MOST_ONE = 2, KESTOR_RULE_ANY_OF_MANY = 3 };
/* BLOB transfer modes of kestor_enable_blob */
enum { KESTOR_BLOB_ALSO = 0, KESTOR_BLOB_NEVER = 1, KESTOR_BLOB_URL = 2 };
/* log levels */
enum { KESTOR_LOG_ERROR = 0, KESTOR_LOG_INFO = 1, KESTOR_LOG_DEBUG = 2, KESTOR_LOG_TRACE = 3 };

/* A bus endpoint (one server connection or one driver); opaque. */
typedef struct kestor_device kestor_device;

struct kestor_client;
struct kestor_property;

typedef kestor_result (*kestor_client_fn)(struct kestor_client *client);
typedef kestor_result (*kestor_property_fn)(struct kestor_client *client, kestor_device *device,
                                            struct kestor_property *property, const char *message);
typedef kestor_result (*kestor_message_fn)(struct kestor_client *client, kestor_device *device, const char *message);

typedef struct kestor_client {        /* 208 bytes */
  char name[128];                     /*   0 */
  bool is_remote;                     /* 128 */
  void *client_context;               /* 136 */
  kestor_result last_result;          /* 144 */
  kestor_version version;             /* 148 */
  void *enable_blob_mode_records;     /* 152 */
  kestor_client_fn attach;            /* 160 */
  kestor_property_fn define_property; /* 168 */
  kestor_property_fn update_property; /* 176 */
  kestor_property_fn delete_property; /* 184 */
  kestor_message_fn send_message;     /* 192 */
  kestor_client_fn detach;            /* 200 */
} kestor_client;

typedef struct kestor_item { /* 1808 bytes */
  char name[128];            /*    0 */
  char label[512];           /*  128 */
  char hints[512];           /*  640 */
  union {                    /* 1152 */
    char text_value[512];
    struct {
      char number_format[512]; /* 1152 printf-style; ending in 'm' = sexagesimal */
      double number_min;       /* 1664 */
      double number_max;       /* 1672 */
      double number_step;      /* 1680 */
      double number_value;     /* 1688 */
      double number_target;    /* 1696 */
    };
    bool switch_value;    /* 1152 */
    uint32_t light_value; /* 1152 */
    struct {
      char blob_format[128]; /* 1152 e.g. ".fits" */
      char blob_url[512];    /* 1280 "" when the bytes are in memory */
      int64_t blob_size;     /* 1792 */
      void *blob_value;      /* 1800 owned by the library (see kestor_blob_resize) */
    };
  };
} kestor_item;

typedef struct kestor_property { /* 1432 bytes, then count items */
  char device[128];              /*    0 */
  char name[128];                /*  128 "" in a device-wide delete */
  char group[128];               /*  256 */
  char label[512];               /*  384 */
  char hints[512];               /*  896 */
  uint32_t state;                /* 1408 */
  uint32_t type;                 /* 1412 */
  uint32_t perm;                 /* 1416 */
  uint32_t rule;                 /* 1420 */
  int16_t version;               /* 1424 */
  bool hidden;                   /* 1426 */
  int32_t count;                 /* 1428 */
#ifdef __cplusplus
  kestor_item items[1]; /* 1432, count items follow */
#else
  kestor_item items[]; /* 1432 */
#endif
} kestor_property;

typedef struct kestor_server_entry { /* 544 bytes, allocated by kestor_connect_server */
  char name[128];                    /*   0 */
  char host[128];                    /* 128 */
  int32_t port;                      /* 256 */
  void *thread;                      /* 264 */
  bool thread_started;               /* 272 */
  int32_t socket;                    /* 276 */
  kestor_device *protocol_adapter;   /* 280 */
  char last_error[256];              /* 288 */
} kestor_server_entry;

typedef struct kestor_subprocess_entry { /* 408 bytes */
  char executable[128];                  /*   0 */
  void *thread;                          /* 128 */
  bool thread_started;                   /* 136 */
  int32_t pid;                           /* 140 */
  kestor_device *protocol_adapter;       /* 144 */
  char last_error[256];                  /* 152 */
} kestor_subprocess_entry;

/* The layout every record must have: checked wherever this header is compiled. */
#ifdef __cplusplus
#define KESTOR_LAYOUT(condition) static_assert(condition, #condition)
#else
#define KESTOR_LAYOUT(condition) _Static_assert(condition, #condition)
#endif
KESTOR_LAYOUT(sizeof(kestor_client) == 208);
KESTOR_LAYOUT(offsetof(kestor_client, name) == 0);
KESTOR_LAYOUT(offsetof(kestor_client, is_remote) == 128);
KESTOR_LAYOUT(offsetof(kestor_client, client_context) == 136);
KESTOR_LAYOUT(offsetof(kestor_client, last_result) == 144);
KESTOR_LAYOUT(offsetof(kestor_client, version) == 148);
KESTOR_LAYOUT(offsetof(kestor_client, enable_blob_mode_records) == 152);
KESTOR_LAYOUT(offsetof(kestor_client, attach) == 160);
KESTOR_LAYOUT(offsetof(kestor_client, define_property) == 168);
KESTOR_LAYOUT(offsetof(kestor_client, update_property) == 176);
KESTOR_LAYOUT(offsetof(kestor_client, delete_property) == 184);
KESTOR_LAYOUT(offsetof(kestor_client, send_message) == 192);
KESTOR_LAYOUT(offsetof(kestor_client, detach) == 200);
KESTOR_LAYOUT(sizeof(kestor_item) == 1808);
KESTOR_LAYOUT(offsetof(kestor_item, name) == 0);
KESTOR_LAYOUT(offsetof(kestor_item, label) == 128);
KESTOR_LAYOUT(offsetof(kestor_item, hints) == 640);
KESTOR_LAYOUT(offsetof(kestor_item, text_value) == 1152);
KESTOR_LAYOUT(offsetof(kestor_item, number_format) == 1152);
KESTOR_LAYOUT(offsetof(kestor_item, number_value) == 1688);
KESTOR_LAYOUT(offsetof(kestor_item, number_target) == 1696);
KESTOR_LAYOUT(offsetof(kestor_item, switch_value) == 1152);
KESTOR_LAYOUT(offsetof(kestor_item, light_value) == 1152);
KESTOR_LAYOUT(offsetof(kestor_item, blob_format) == 1152);
KESTOR_LAYOUT(offsetof(kestor_item, blob_url) == 1280);
KESTOR_LAYOUT(offsetof(kestor_item, blob_size) == 1792);
KESTOR_LAYOUT(offsetof(kestor_item, blob_value) == 1800);
KESTOR_LAYOUT(offsetof(kestor_property, device) == 0);
KESTOR_LAYOUT(offsetof(kestor_property, name) == 128);
KESTOR_LAYOUT(offsetof(kestor_property, group) == 256);
KESTOR_LAYOUT(offsetof(kestor_property, label) == 384);
KESTOR_LAYOUT(offsetof(kestor_property, hints) == 896);
KESTOR_LAYOUT(offsetof(kestor_property, state) == 1408);
KESTOR_LAYOUT(offsetof(kestor_property, type) == 1412);
KESTOR_LAYOUT(offsetof(kestor_property, perm) == 1416);
KESTOR_LAYOUT(offsetof(kestor_property, rule) == 1420);
KESTOR_LAYOUT(offsetof(kestor_property, version) == 1424);
KESTOR_LAYOUT(offsetof(kestor_property, hidden) == 1426);
KESTOR_LAYOUT(offsetof(kestor_property, count) == 1428);
KESTOR_LAYOUT(offsetof(kestor_property, items) == 1432);
KESTOR_LAYOUT(sizeof(kestor_server_entry) == 544);
KESTOR_LAYOUT(offsetof(kestor_server_entry, name) == 0);
KESTOR_LAYOUT(offsetof(kestor_server_entry, host) == 128);
KESTOR_LAYOUT(offsetof(kestor_server_entry, port) == 256);
KESTOR_LAYOUT(offsetof(kestor_server_entry, thread) == 264);
KESTOR_LAYOUT(offsetof(kestor_server_entry, thread_started) == 272);
KESTOR_LAYOUT(offsetof(kestor_server_entry, socket) == 276);
KESTOR_LAYOUT(offsetof(kestor_server_entry, protocol_adapter) == 280);
KESTOR_LAYOUT(offsetof(kestor_server_entry, last_error) == 288);
KESTOR_LAYOUT(sizeof(kestor_subprocess_entry) == 408);
KESTOR_LAYOUT(offsetof(kestor_subprocess_entry, executable) == 0);
KESTOR_LAYOUT(offsetof(kestor_subprocess_entry, thread) == 128);
KESTOR_LAYOUT(offsetof(kestor_subprocess_entry, thread_started) == 136);
KESTOR_LAYOUT(offsetof(kestor_subprocess_entry, pid) == 140);
KESTOR_LAYOUT(offsetof(kestor_subprocess_entry, protocol_adapter) == 144);
KESTOR_LAYOUT(offsetof(kestor_subprocess_entry, last_error) == 152);
#undef KESTOR_LAYOUT

/* globals */
extern void (*kestor_log_message_handler)(const char *line);
extern bool kestor_is_sandboxed;
extern kestor_subprocess_entry kestor_available_subprocesses[KESTOR_MAX_SUBPROCESSES];
extern kestor_property KESTOR_ALL_PROPERTIES; /* device "" and name "": every property */

/*
 * Optional: when set, the library runs each "apply incoming messages to their records and call
 * the client's callbacks" step through this executor (for example on the application's main
 * thread), so that records change only where the application reads them. One step applies, in
 * order, every message one read from the connection completed, each followed by its callback.
 * A connection's steps are handed to the executor one at a time, in order, from a thread of the
 * connection's own, while its reader parses the next read. When unset, the step runs on the
 * connection's reader thread. The executor must run fn(arg) before it returns.
 */
extern void (*kestor_sync_executor)(void (*fn)(void *arg), void *arg);

/*
 * Optional: called once when a connection made by kestor_connect_server has ended, however it
 * ended (closed by the server, a read error, kestor_disconnect_server), after the delete callbacks
 * of its devices; on the connection's reader thread. The entry stays allocated.
 */
extern void (*kestor_server_ended_handler)(kestor_server_entry *entry);

/*
 * Optional, both or neither, set before kestor_start and never changed: the memory of in-memory
 * BLOB bytes (blob_value). kestor_blob_resize works as realloc (data NULL: a new buffer of `bytes`
 * bytes; NULL when out of memory, data then unchanged); kestor_blob_free is called once the
 * library no longer holds the buffer: after the callback announcing its successor, or the end of
 * its property, has returned. An application that keeps a reference of its own to a buffer may
 * so share the bytes beyond that instead of copying them. Unset: malloc's memory.
 */
extern void *(*kestor_blob_resize)(void *data, size_t bytes);
extern void (*kestor_blob_free)(void *data);
/*
 * Optional, set before kestor_start and never changed: called on a connection's reader thread once
 * a BLOB has decoded half the bytes its element declares (its size attribute, when the library
 * accepts that size), with the buffer they arrive in and the size declared. A BLOB of that size is
 * then likely to be complete soon, and an application may prepare for it; the buffer's
 * kestor_blob_free (or free) ends that BLOB, whatever came of it. At most once a BLOB; never for
 * one whose bytes stay below half what it declares, so what is declared but never sent costs
 * nothing.
 */
extern void (*kestor_blob_half_arrived)(void *data, size_t declared);

kestor_result kestor_start(void);
kestor_result kestor_stop(void);
kestor_result kestor_attach_client(kestor_client *client);
kestor_result kestor_set_log_level(uint32_t level);
uint32_t kestor_get_log_level(void);
kestor_result kestor_enumerate_properties(kestor_client *client, kestor_property *which);
kestor_result kestor_change_text_property(kestor_client *client, const char *device, const char *property,
                                          int32_t count, char **items, char **values);
kestor_result kestor_change_number_property(kestor_client *client, const char *device, const char *property,
                                            int32_t count, char **items, double *values);
kestor_result kestor_change_switch_property(kestor_client *client, const char *device, const char *property,
                                            int32_t count, char **items, bool *values);
kestor_result kestor_enable_blob(kestor_client *client, kestor_property *property, uint32_t mode);
kestor_result kestor_trace_property(kestor_client *client, kestor_property *property, bool definition, bool items);
kestor_result kestor_connect_server(const char *name, const char *host, int32_t port, kestor_server_entry **entry);
kestor_result kestor_disconnect_server(kestor_server_entry *entry);
kestor_result kestor_kill_subprocess(kestor_subprocess_entry *entry);

/* @astronomy: declarations of the astronomy routines go here */
/*
 * Astronomy. Angles are in degrees except right ascension, in hours. Longitude is east-positive
 * (0..360 and -180..180 both work), elevation in metres. Catalogue motions: proper motion in RA
 * as mu_alpha * cos(delta) and in Dec in mas/yr, parallax in mas, radial velocity in km/s.
 * Places are apparent (true equator and equinox of date) and, unless said otherwise, topocentric;
 * altitudes are geometric (no refraction); azimuth is 0 at north, 90 at east. "Now" is the system
 * clock, or the instant fixed by kestor_set_astro_time. UT1 is taken as UTC. Every routine may be
 * called from any thread at once. A date ERFA cannot handle gives NaN outputs; its "dubious year"
 * warning is not a failure.
 */
enum {
  KESTOR_MERCURY = 1,
  KESTOR_VENUS = 2,
  KESTOR_MARS = 4,
  KESTOR_JUPITER = 5,
  KESTOR_SATURN = 6,
  KESTOR_URANUS = 7,
  KESTOR_NEPTUNE = 8,
  KESTOR_PLUTO = 9,
  KESTOR_SUN = 10,
  KESTOR_MOON = 11
};

/* *ra, *dec: J2000 (ICRS) catalogue place in, apparent topocentric place now out. */
void kestor_topo_star(double *ra, double *dec, double lat, double lon, double elev, double pmra, double pmdec,
                      double px, double rv);
/* Apparent topocentric place of a body now (the numbers above); an unknown body leaves *ra, *dec. */
void kestor_topo_planet(int32_t body, double *ra, double *dec, double lat, double lon, double elev);
/* Altitude and azimuth now of an apparent place; client is unused and may be NULL. */
void kestor_eq2hor(kestor_client *client, double *alt, double *az, double lat, double lon, double elev, double ra,
                   double dec);
/* Local apparent sidereal time in hours [0, 24) at a UTC Julian date (NULL = now). */
double kestor_lst(const double *jd_utc, double longitude);
/* Geocentric apparent place now of a J2000 catalogue place. */
void kestor_app_star(double *ra, double *dec, double pmra, double pmdec, double px, double rv);

/* Fixes "now" at a UTC Julian date for every routine; 0 returns to the system clock. */
void kestor_set_astro_time(double jd_utc);
/* The UTC Julian date the routines take as now. */
double kestor_astro_time(void);

/*
 * The Earth-orientation context of one site at one instant, computed once and shared by any
 * number of places: the fast way to position many objects. Immutable once made, so one context
 * may be used from several threads. The results equal those of the routines above at that
 * instant.
 */
typedef struct kestor_site_context kestor_site_context;
/* NULL when out of memory or when ERFA rejects the date. jd_utc NULL = now. */
kestor_site_context *kestor_site_context_new(const double *jd_utc, double lat, double lon, double elev);
void kestor_site_context_free(kestor_site_context *context);
void kestor_site_topo_star(const kestor_site_context *context, double *ra, double *dec, double pmra, double pmdec,
                           double px, double rv);
kestor_result kestor_site_topo_planet(const kestor_site_context *context, int32_t body, double *ra, double *dec);
void kestor_site_eq2hor(const kestor_site_context *context, double *alt, double *az, double ra, double dec);

/* @server: declarations of the in-process server go here */
/*
 * The in-process server: a bus server inside the application that speaks the same INDI XML 1.7
 * protocol as remote servers, on TCP, to any number of clients, with its devices provided by
 * drivers. The attached client sees the drivers' devices as it sees a remote server's.
 *
 * A driver speaks INDI XML over one bidirectional stream: an executable driver on its standard
 * input and output (as INDI drivers are run), a library driver over a socket. Every driver loaded
 * or started here serves the attached client whether or not the TCP server runs.
 */

/* A library driver's entry point, exported as "kestor_driver_main": it reads the server's elements
 * from fd and writes its own to it until the server shuts the socket down (it then sees end of
 * file), and returns. The library closes fd after it returns. */
typedef int (*kestor_driver_main_fn)(int fd, const char *name);
#define KESTOR_DRIVER_MAIN "kestor_driver_main"

typedef struct kestor_driver_entry { /* 280 bytes, one per loaded library driver */
  char description[128];             /*   0 */
  char name[128];                    /* 128 */
  kestor_driver_main_fn driver;      /* 256 */
  void *dl_handle;                   /* 264 */
  bool initialized;                  /* 272 true once its thread runs */
} kestor_driver_entry;

#ifdef __cplusplus
#define KESTOR_SERVER_LAYOUT(condition) static_assert(condition, #condition)
#else
#define KESTOR_SERVER_LAYOUT(condition) _Static_assert(condition, #condition)
#endif
KESTOR_SERVER_LAYOUT(sizeof(kestor_driver_entry) == 280);
KESTOR_SERVER_LAYOUT(offsetof(kestor_driver_entry, description) == 0);
KESTOR_SERVER_LAYOUT(offsetof(kestor_driver_entry, name) == 128);
KESTOR_SERVER_LAYOUT(offsetof(kestor_driver_entry, driver) == 256);
KESTOR_SERVER_LAYOUT(offsetof(kestor_driver_entry, dl_handle) == 264);
KESTOR_SERVER_LAYOUT(offsetof(kestor_driver_entry, initialized) == 272);
#undef KESTOR_SERVER_LAYOUT

/* The TCP port of the server: set before kestor_server_start (0 = any free port); the server
 * writes the port it listens on back before its first client-count report. */
extern int32_t kestor_server_tcp_port;

/* Called with the number of connected clients: once with 0 as soon as the server listens, then
 * after every client that connects or leaves. Runs on the server's threads, one call at a time. */
typedef void (*kestor_server_callback)(int32_t clients);

/* Runs the server (listening on every address) and returns only when it stops: after kestor_stop,
 * or at once when it cannot listen (KESTOR_FAILED), the port is out of range (KESTOR_INVALID) or a
 * server already runs (KESTOR_ALREADY). KESTOR_OK after a regular stop. */
kestor_result kestor_server_start(kestor_server_callback callback);

/* USB hot-plug handling for drivers; no driver here needs it, so it only reports success. */
kestor_result kestor_start_usb_event_handler(void);

/* Loads the library driver "<name>.so" from the folder named by the environment variable
 * KESTOR_DRIVER_DIR (the library search path when unset) and, when start is true, runs it on a
 * thread of its own. *entry is set to its entry. KESTOR_ALREADY (with *entry set) when that driver
 * is already loaded and running. */
kestor_result kestor_load_driver(const char *name, bool start, kestor_driver_entry **entry);

/* Starts a driver executable as a subprocess in a free entry of kestor_available_subprocesses
 * (KESTOR_FAILED when all are in use): its standard input and output carry the protocol, each
 * line of its standard error goes to the log (level 1) as "<name>: <line>". *entry is set to its
 * entry. KESTOR_ALREADY (with *entry set) when the same executable already runs. When the driver
 * ends by itself its devices are deleted and its entry freed. kestor_kill_subprocess ends it:
 * end of input first, SIGTERM after 1 s, SIGKILL after 2 s more; it is always reaped, and its
 * devices are deleted before it returns (unless the attached client's callbacks keep them waiting
 * for more than 2 s). */
kestor_result kestor_start_subprocess(const char *executable, kestor_subprocess_entry **entry);

/* Serves a copy of the bytes under the path, to HTTP GET requests on the server's port (with
 * "Content-Encoding: gzip" when the bytes are a gzip member). A later call for the same path
 * replaces it. KESTOR_INVALID for a path not starting with "/" or without data. */
kestor_result kestor_server_add_resource(const char *path, const void *data, size_t length, const char *content_type);

#ifdef __cplusplus
}
#endif

#endif
