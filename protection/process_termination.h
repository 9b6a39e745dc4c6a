// Ending the processes of a blocked program.
#pragma once

#include <string>

#include "platform/processes.h"

namespace quillvarden {

// Processes the protections never end, whatever they run: this program itself, the
// processes it started (its browser helpers), and the system's essential ones.
// self: this program's identifier (a test may name another).
bool isUntouchableProcess(const platform::ProcessEntry& process,
                          platform::ProcessId self = platform::currentProcessId());

// Ends every process whose executable name equals nameLower (its image path, when
// readable and pathLower is given, must then equal pathLower too) or, by path alone,
// whose image equals pathLower. Returns how many were ended; 0 when both are empty.
int terminateMatchingProcesses(const std::string& pathLower, const std::string& nameLower);

}  // namespace quillvarden
