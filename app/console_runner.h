// The server alone in the foreground of a console, until Ctrl+C or SIGTERM: for
// machines without a display, servers, CI and benchmarks ("--headless").
#pragma once

namespace quillvarden {

// The process's exit status: 0 after a clean stop, 1 when the port could not be bound.
int runHeadless();

// The one line on the error stream when 127.0.0.1:8910 cannot be bound.
void reportPortTaken();

}  // namespace quillvarden
