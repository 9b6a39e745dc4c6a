// Where the protections send their events: the server's event stream.
#pragma once

#include <functional>
#include <string>

namespace quillvarden {

// Called with an event name and its data (compact JSON), from the monitors' threads.
using EventSink = std::function<void(const std::string& event, const std::string& data)>;

}  // namespace quillvarden
