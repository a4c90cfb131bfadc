// Shared by the link workers: running a worker until it is stopped, and the
// small conversions every conversation needs.
#pragma once

#include <string>
#include <string_view>

#include "link/link_context.h"

namespace harbrook {

// Runs body() until it returns false or the stop signal ends it (the shutdown
// of its context surfaces as ETERM). Any other library error is a failed
// cycle, not a crash: the worker pauses briefly and carries on.
template <typename Body>
void RunWorker(LinkContext& link, Body&& body) {
    while (!link.stop.StopRequested()) {
        try {
            if (!body()) return;
        } catch (const zmq::error_t& e) {
            if (link.stop.StopRequested() || e.num() == ETERM) return;
            if (!link.stop.SleepFor(std::chrono::milliseconds(200))) return;
        }
    }
}

// The PC identity as the link sends it, bounded like a buffer of bufferSize
// bytes (terminator included); empty when it cannot be read.
std::string ReadPcId(std::size_t bufferSize);

// "Disconnected" when a disconnect was requested, else "Connected".
std::string_view StatusWord(const LinkContext& link);

}  // namespace harbrook
