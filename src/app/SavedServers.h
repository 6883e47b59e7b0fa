// The "servers" setting: the user's bus servers, an array of {"host": text, "port": integer} in
// list order.
#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

#include "kestor/TypedServer.h"

// The servers of a stored "servers" value, in order. The port may be stored as an integer or as a
// decimal text. An entry that is not a dictionary, lacks a text "host" or has no readable "port"
// is skipped and reported through skipped; a value that is not an array (or a single
// dictionary, which the settings file gives back for an array of one) is skipped whole.
std::vector<TypedServer> readSavedServers(const QVariant &value, const std::function<void(const QString &)> &skipped);

// The stored form of the servers: one dictionary per server, in order.
QVariantList savedServersValue(const std::vector<TypedServer> &servers);
