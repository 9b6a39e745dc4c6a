#include "narrator/llama_narrator.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "chain/attack_chain.h"
#include "platform/console.h"
#include "platform/process_paths.h"

namespace quillvarden {
namespace {

constexpr std::uint32_t kContextTokens = 2048;
constexpr std::uint32_t kBatchTokens = 512;
constexpr int kMaxStoryTokens = 320;
constexpr std::size_t kPieceBytes = 256;
constexpr std::size_t kMinStoryBytes = 8;

void discardLog(ggml_log_level, const char*, void*) {}

}  // namespace

unsigned narratorThreadCount(unsigned hardwareConcurrency) {
    if (hardwareConcurrency == 0) return 4;
    return std::min(hardwareConcurrency, 8u);
}

std::shared_ptr<const LlamaApi> sharedLlamaApi(std::string* failure) {
    static std::string tried;
    static const std::shared_ptr<const LlamaApi> api = loadLlamaApi(defaultLlamaLibraryCandidates(), &tried);
    if (!api && failure) *failure = tried;
    return api;
}

LlamaNarrator::LlamaNarrator(const std::string& path) : LlamaNarrator(path, nullptr, "") {}

LlamaNarrator::LlamaNarrator(const std::string& path, std::shared_ptr<const LlamaApi> api,
                             const std::string& missingLibrary)
    : modelPath(path), modelName(platform::fileNameOf(path)), runtime(std::make_unique<LlamaRuntime>()),
      api_(std::move(api)) {
    std::string tried = missingLibrary;
    if (!api_ && tried.empty()) api_ = sharedLlamaApi(&tried);
    if (!api_) {
        platform::writeErrLine("[羽岚 Quillvarden] 未找到 llama.cpp 运行库（" + tried +
                               "），本地模型不可用，回退规则模式。");
        return;
    }
    load();
}

void LlamaNarrator::load() {
    const LlamaApi& api = *api_;
    try {
        api.log_set(discardLog, nullptr);
        api.backend_init();

        llama_model_params modelParams = api.model_default_params();
        modelParams.n_gpu_layers = 0;
        runtime->model = api.model_load_from_file(modelPath.c_str(), modelParams);
        if (!runtime->model) {
            platform::writeErrLine("[羽岚 Quillvarden] 模型加载失败，将回退规则模式： " + modelName);
            return;
        }
        runtime->vocab = api.model_get_vocab(runtime->model);

        const unsigned threads = narratorThreadCount(std::thread::hardware_concurrency());
        llama_context_params contextParams = api.context_default_params();
        contextParams.n_ctx = kContextTokens;
        contextParams.n_batch = kBatchTokens;
        contextParams.n_threads = static_cast<std::int32_t>(threads);
        contextParams.n_threads_batch = static_cast<std::int32_t>(threads);
        runtime->context = api.init_from_model(runtime->model, contextParams);
        if (!runtime->context) {
            platform::writeErrLine("[羽岚 Quillvarden] 上下文创建失败，将回退规则模式。");
            api.model_free(runtime->model);
            runtime->model = nullptr;
            return;
        }

        runtime->sampler = api.sampler_chain_init(api.sampler_chain_default_params());
        api.sampler_chain_add(runtime->sampler, api.sampler_init_top_k(40));
        api.sampler_chain_add(runtime->sampler, api.sampler_init_top_p(0.9f, 1));
        api.sampler_chain_add(runtime->sampler, api.sampler_init_temp(0.6f));
        api.sampler_chain_add(runtime->sampler, api.sampler_init_dist(0xFFFFFFFFu));

        runtime->ready = true;
        platform::writeOutLine("[羽岚 Quillvarden] 本地模型已就绪： " + modelName + "（线程 " +
                               std::to_string(threads) + "）");
    } catch (...) {
        platform::writeErrLine("[羽岚 Quillvarden] 模型初始化异常，将回退规则模式。");
        runtime->ready = false;
    }
}

LlamaNarrator::~LlamaNarrator() {
    if (!api_) return;
    if (runtime->sampler) api_->sampler_free(runtime->sampler);
    if (runtime->context) api_->free(runtime->context);
    if (runtime->model) api_->model_free(runtime->model);
    if (runtime->ready) api_->backend_free();
}

void LlamaNarrator::narrate(AttackChain& chain) {
    fallback.narrate(chain);
    if (runtime->ready) generateStory(chain);
}

std::string LlamaNarrator::buildFacts(const AttackChain& chain) {
    std::string facts = "风险分：" + std::to_string(chain.score) + "（" + chainLevelLabelCn(chain.level) + "）\n";
    facts += "涉及进程：" + joinTexts(chain.processes, "、") + "\n";
    if (!chain.tactics.empty()) facts += "ATT&CK 战术：" + joinTexts(chain.tactics, " → ") + "\n";
    facts += "事件序列：\n";
    for (std::size_t i = 0; i < chain.events.size(); ++i) {
        const SecurityEvent& e = chain.events[i];
        facts += "  " + std::to_string(i + 1) + ". " + eventKindLabel(e.kind) + " | 进程=" + e.processName +
                 " 父进程=" + e.parentName + (e.target.empty() ? "" : " 目标=" + e.target) + "\n";
    }
    return facts;
}

std::string LlamaNarrator::buildPrompt(const AttackChain& chain) {
    return std::string("<|im_start|>system\n") +
           "你是一名资深安全运营(SOC)分析师。基于给定的告警事实，" +
           "用简洁专业的中文写一段威胁研判故事，说清攻击是如何一步步发生的、" +
           "攻击者的意图，以及为何判定为该风险等级。只输出一段连贯的中文叙述，" +
           "120～200字，不要分点、不要复述字段名、不要出现英文。<|im_end|>\n" + "<|im_start|>user\n" +
           "以下是本次聚合出的攻击链事实：\n" + buildFacts(chain) + "\n请给出威胁研判故事。<|im_end|>\n" +
           "<|im_start|>assistant\n";
}

std::string LlamaNarrator::cleanOutput(const std::string& text) {
    std::string cleaned = text;
    for (const std::string marker : {"<|im_end|>", "<|im_start|>", "<|endoftext|>"}) {
        for (auto at = cleaned.find(marker); at != std::string::npos; at = cleaned.find(marker)) {
            cleaned.erase(at, marker.size());
        }
    }
    const auto first = cleaned.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = cleaned.find_last_not_of(" \t\r\n");
    return cleaned.substr(first, last - first + 1);
}

bool LlamaNarrator::generateStory(AttackChain& chain) {
    if (!runtime || !runtime->ready) return false;
    // The context and the sampler serve one story at a time; the chain engine and the
    // scan threads may ask at once.
    std::lock_guard<std::mutex> lock(generation_);
    try {
        return generate(chain);
    } catch (...) {
        return false;
    }
}

bool LlamaNarrator::generate(AttackChain& chain) {
    const LlamaApi& api = *api_;
    api.memory_clear(api.get_memory(runtime->context), true);

    const std::string prompt = buildPrompt(chain);
    const std::int32_t needed = api.tokenize(runtime->vocab, prompt.data(), static_cast<std::int32_t>(prompt.size()),
                                             nullptr, 0, true, true);
    if (needed >= 0) return false;
    std::vector<llama_token> tokens(static_cast<std::size_t>(-needed));
    const std::int32_t count = api.tokenize(runtime->vocab, prompt.data(), static_cast<std::int32_t>(prompt.size()),
                                            tokens.data(), static_cast<std::int32_t>(tokens.size()), true, true);
    if (count < 0) return false;
    tokens.resize(static_cast<std::size_t>(count));

    // The prompt goes in as batches of at most the batch size: one batch of a long
    // chain's facts would be refused.
    for (std::size_t at = 0; at < tokens.size(); at += kBatchTokens) {
        const auto size = static_cast<std::int32_t>(std::min<std::size_t>(kBatchTokens, tokens.size() - at));
        if (api.decode(runtime->context, api.batch_get_one(tokens.data() + at, size)) != 0) return false;
    }

    std::string generated;
    char piece[kPieceBytes];
    for (int i = 0; i < kMaxStoryTokens; ++i) {
        llama_token token = api.sampler_sample(runtime->sampler, runtime->context, -1);
        if (api.vocab_is_eog(runtime->vocab, token)) break;
        const std::int32_t length = api.token_to_piece(runtime->vocab, token, piece, sizeof piece, 0, true);
        if (length > 0) generated.append(piece, static_cast<std::size_t>(length));
        if (api.decode(runtime->context, api.batch_get_one(&token, 1)) != 0) break;
    }

    std::string story = cleanOutput(generated);
    if (story.size() < kMinStoryBytes) return false;
    chain.story = std::move(story);
    return true;
}

}  // namespace quillvarden
