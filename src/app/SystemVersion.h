// The operating system's version as three numbers, taken from the kernel release.
#pragma once

#include <QString>

struct SystemVersion {
  int major = 0;
  int minor = 0;
  int patch = 0;

  bool operator==(const SystemVersion &) const = default;
};

// The three leading dot-separated numbers of a release text ("6.1.0-18-amd64" gives 6, 1, 0);
// missing or unreadable parts are 0.
SystemVersion parseSystemVersion(const QString &release);
// The running system's version.
SystemVersion operatingSystemVersion();
// Whether the window background stored in the settings applies on this version: only the minor
// number counts, and it must be below 14.
bool usesStoredBackground(const SystemVersion &version);
