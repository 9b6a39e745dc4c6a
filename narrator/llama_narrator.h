// The local-model narrator: a language model run in-process on the CPU through
// llama.cpp writes each chain's story in Chinese. The summary and suggestions are
// always the templates', and the template story stays whenever the model is not
// ready or writes too little.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "narrator/llama_api.h"
#include "narrator/narrator.h"
#include "narrator/rule_narrator.h"

namespace quillvarden {

// The model's handles; ready only when all four exist.
struct LlamaRuntime {
    llama_model* model = nullptr;
    llama_context* context = nullptr;
    const llama_vocab* vocab = nullptr;
    llama_sampler* sampler = nullptr;
    bool ready = false;
};

class LlamaNarrator : public INarrator {
public:
    // Loads llama.cpp (once per process) and the model. Never throws; ready() tells
    // the outcome, and the console says what went wrong.
    explicit LlamaNarrator(const std::string& modelPath);
    // With a given library (null: there is none; missingLibrary names what was tried).
    LlamaNarrator(const std::string& modelPath, std::shared_ptr<const LlamaApi> api,
                  const std::string& missingLibrary = "");
    ~LlamaNarrator() override;
    LlamaNarrator(const LlamaNarrator&) = delete;
    LlamaNarrator& operator=(const LlamaNarrator&) = delete;

    void narrate(AttackChain& chain) override;
    std::string name() const override { return "llama.cpp"; }

    // Replaces the chain's story with the model's; false (story untouched) when the
    // model is not ready, fails, or writes under 8 bytes. One generation at a time.
    bool generateStory(AttackChain& chain);

    bool ready() const { return runtime->ready; }
    bool libraryMissing() const { return !api_; }

    static std::string buildFacts(const AttackChain& chain);
    static std::string buildPrompt(const AttackChain& chain);
    static std::string cleanOutput(const std::string& text);

    const std::string modelPath;
    const std::string modelName;
    std::unique_ptr<LlamaRuntime> runtime;
    RuleNarrator fallback;

private:
    void load();
    bool generate(AttackChain& chain);

    std::shared_ptr<const LlamaApi> api_;
    std::mutex generation_;
};

// The threads inference uses: the hardware's, at most 8; 4 when it is not known.
unsigned narratorThreadCount(unsigned hardwareConcurrency);

// llama.cpp from the default places, loaded the first time it is asked for.
std::shared_ptr<const LlamaApi> sharedLlamaApi(std::string* failure);

}  // namespace quillvarden
