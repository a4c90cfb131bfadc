// The wire limit of the two conversations: both ends of the same message
// pattern over cppzmq, with data from one static buffer and no disk at all.
#pragma once

#include <string>
#include <zmq.hpp>

#include "bench/bench_common.h"

namespace harbrook::bench {

// PC end of a backup on a bound ROUTER: answers the total, pulls each
// offered file with "fetch" until a short chunk or the end marker, answers
// "fileEnd", until "backingEnd". Returns the bytes pulled.
std::uint64_t WireBackupPc(zmq::socket_t& router);

// Phone end of a backup of the data set, without reading any file.
int WireBackupPhone(const std::string& endpoint, const DataSet& set);

// PC end of a send of the data set over a connected DEALER.
bool WireSendPc(zmq::socket_t& dealer, const DataSet& set);

// Phone end of a send on the given port: answers every header and piece
// until the closing message.
int WireSendPhone(int port);

// A TCP port on 127.0.0.1 that nothing listened on a moment ago.
int FreeLoopbackPort();

}  // namespace harbrook::bench
