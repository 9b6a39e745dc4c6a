#include "engine/detection_engine.h"

#include "engine/file_filters.h"
#include "engine/trust_list.h"
#include "platform/system_folders.h"
#include "ruleengine/builtin_rules.h"

namespace quillvarden {
namespace {

struct BuiltinDigest {
    const char* sha256;
    const char* name;
};

// The digest of the EICAR test file, of empty input, and four sample entries.
constexpr BuiltinDigest kBuiltinDigests[] = {
    {"275a021bbfb6489e54d471899f7db9d1663fc695ec2fe2a2c4538aabf651fd0f", "EICAR-Test-File"},
    {"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", "Empty-File-Hash"},
    {"a1b2c3d4e5f6a7b8c9d0e1f2a3b4c5d6e7f8a9b0c1d2e3f4a5b6c7d8e9f0a1b2", "Trojan.GenericKD.46789012"},
    {"deadbeefcafebabe0123456789abcdef0123456789abcdef0123456789abcdef", "Backdoor.Cobalt.Strike"},
    {"1234567890abcdef1234567890abcdef1234567890abcdef1234567890abcdef", "Ransom.WannaCry.Gen"},
    {"fedcba9876543210fedcba9876543210fedcba9876543210fedcba9876543210", "Trojan.Emotet.Gen"},
};

}  // namespace

DetectionEngine::DetectionEngine()
    : trustListFile(trustListPath()),
      systemFolders(systemPathPrefixes(platform::windowsDirectory(), platform::nativeSystemFolders())) {
    loadBuiltins();
}

void DetectionEngine::loadBuiltins() {
    rules.clear();
    sha256Table.clear();
    for (const BuiltinDigest& entry : kBuiltinDigests) sha256Table[entry.sha256] = entry.name;
    rules = builtinRules();
    rulesChanged();
}

}  // namespace quillvarden
