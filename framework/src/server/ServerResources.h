// Files the in-process server serves over plain HTTP on its bus port (a request that starts with
// "GET " instead of an XML element): copies of the bytes registered with kestor_server_add_resource.
#pragma once

#include <string_view>

namespace kestor {

// Reads the rest of the request whose first bytes are `received`, answers it with the resource
// (200) or 404, and returns true when the request could be read.
bool serveResource(int socket, std::string_view received);

}  // namespace kestor
