// The tactic rules: what one event says about an attack, scored and named by its
// MITRE ATT&CK tactic, with a Chinese reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chain/security_event.h"

namespace quillvarden {

struct TacticHit {
    std::uint32_t score = 0;
    std::string reason;
    std::string tactic;
};

// The tactic's place in the kill chain (初始访问 0 … 影响 11); 999 for anything else.
int tacticOrder(std::string_view tactic);

// Every hit of every rule that applies, in rule order. Pure.
std::vector<TacticHit> evaluateEvent(const SecurityEvent& event);

// The classifiers, all ASCII-case-insensitive.
bool containsNoCase(std::string_view text, std::string_view fragment);
bool isOfficeProcess(std::string_view name);
bool isScriptHost(std::string_view name);
bool isSystemProcessName(std::string_view name);
bool isInSystemDir(std::string_view path);
bool isSuspiciousDir(std::string_view path);
bool isRunKey(std::string_view path);
bool isEncryptedPort(std::string_view target);
bool isPublicIPv4(std::string_view target);

}  // namespace quillvarden
