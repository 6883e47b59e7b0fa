// The line written to the message log at launch: program, framework and system versions.
#pragma once

#include "app/SystemVersion.h"

#include <QString>

// "<name> <version>_<build> KESTOR <major>.<minor>_<build> OS <major>.<minor>_<patch>".
QString versionBanner(const QString &name, const QString &version, const QString &build, const SystemVersion &system);
