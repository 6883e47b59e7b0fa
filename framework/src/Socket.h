// Plain TCP sockets: a connect bounded by a time-out and whole-buffer sends.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace kestor {

// Connects to host:port, trying each address in turn, all within `timeout`; returns the socket or
// -1 with the reason in `error`. Sends on the socket time out after `timeout` too.
int connectTcp(const std::string &host, int port, std::chrono::milliseconds timeout, std::string &error);

// Sends every byte; false when the socket fails or a send times out.
bool sendAll(int socket, std::string_view data);

}  // namespace kestor
