// Plain sockets: a TCP connect bounded by a time-out, whole-buffer sends, and the reader loop of
// every stream the library reads.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace kestor {

// Connects to host:port, trying each address in turn, all within `timeout`; returns the socket or
// -1 with the reason in `error`. Sends on the socket time out after `timeout` too.
int connectTcp(const std::string &host, int port, std::chrono::milliseconds timeout, std::string &error);

// Sends every byte; false when the socket fails or a send times out.
bool sendAll(int socket, std::string_view data);

// What a reader does with the bytes of one read: true to read on, false to stop (with the reason
// in `why`, or leaving it empty).
using Consumer = std::function<bool(std::string_view data, std::string &why)>;

// Reads the socket and hands each read to `consume` until the peer ends the stream (the result is
// then `endOfStream`), a read fails (the error) or `consume` stops (its reason). An exception
// thrown by `consume` stops the loop too, its text the reason.
std::string readStream(int socket, const Consumer &consume, std::string endOfStream);

}  // namespace kestor
