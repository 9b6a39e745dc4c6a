// The handler of the autostart monitor: every new or changed autostart value becomes
// a security event, is filed under an attack chain, scored and narrated; a high-risk
// chain is blocked when auto-block is on; the user is told by a notification and
// every open page by a "protection_alert" event.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "chain/attack_chain.h"
#include "chain/security_event.h"
#include "platform/autostart_store.h"
#include "protection/event_sink.h"
#include "protection/monitor_events.h"

namespace quillvarden {

class ChainEngine;
class ReblockGuards;

struct BlockOutcome {
    bool attempted = false;
    bool autostartRevoked = false;
    int procKilled = 0;
    bool blocked() const { return autostartRevoked || procKilled > 0; }
};

// The program a command line starts: the quoted part, else up to the first of the
// six program suffixes (in their fixed order of preference), else the first word.
std::string extractProgramPath(std::string_view command);

// Where the value lives: "HKCU\<key path>\<name>"; on Linux "user:<folder>/<name>".
std::string autostartTarget(const RegistryEvent& event);
SecurityEvent securityEventFor(const RegistryEvent& event);

std::string autostartAlertTitle(bool autoBlock, const BlockOutcome& outcome);
std::string autostartAlertText(const RegistryEvent& event, const AttackChain& chain, bool autoBlock,
                               const BlockOutcome& outcome);
nlohmann::json protectionAlertJson(const RegistryEvent& event, const AttackChain& chain, bool autoBlock,
                                   const BlockOutcome& outcome, const std::string& exePath);

class AutostartAlertHandler {
public:
    // setAside moves a revoked entry file into quarantine (Linux).
    AutostartAlertHandler(ChainEngine& chains, EventSink sink, ReblockGuards& guards, platform::SetAside setAside);

    void operator()(const RegistryEvent& event);

private:
    ChainEngine& chains_;
    EventSink sink_;
    ReblockGuards& guards_;
    platform::SetAside setAside_;
};

}  // namespace quillvarden
