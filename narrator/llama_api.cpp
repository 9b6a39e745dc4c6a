#include "narrator/llama_api.h"

#include "platform/process_paths.h"

namespace quillvarden {
namespace {

template <typename Function>
bool resolve(const platform::DynamicLibrary& library, const char* name, Function& target) {
    target = reinterpret_cast<Function>(library.symbol(name));
    return target != nullptr;
}

bool resolveAll(LlamaApi& api) {
    const platform::DynamicLibrary& l = *api.library;
    return resolve(l, "llama_log_set", api.log_set) && resolve(l, "llama_backend_init", api.backend_init) &&
           resolve(l, "llama_backend_free", api.backend_free) &&
           resolve(l, "llama_model_default_params", api.model_default_params) &&
           resolve(l, "llama_model_load_from_file", api.model_load_from_file) &&
           resolve(l, "llama_model_get_vocab", api.model_get_vocab) && resolve(l, "llama_model_free", api.model_free) &&
           resolve(l, "llama_context_default_params", api.context_default_params) &&
           resolve(l, "llama_init_from_model", api.init_from_model) && resolve(l, "llama_free", api.free) &&
           resolve(l, "llama_sampler_chain_default_params", api.sampler_chain_default_params) &&
           resolve(l, "llama_sampler_chain_init", api.sampler_chain_init) &&
           resolve(l, "llama_sampler_chain_add", api.sampler_chain_add) &&
           resolve(l, "llama_sampler_init_top_k", api.sampler_init_top_k) &&
           resolve(l, "llama_sampler_init_top_p", api.sampler_init_top_p) &&
           resolve(l, "llama_sampler_init_temp", api.sampler_init_temp) &&
           resolve(l, "llama_sampler_init_dist", api.sampler_init_dist) &&
           resolve(l, "llama_sampler_free", api.sampler_free) && resolve(l, "llama_get_memory", api.get_memory) &&
           resolve(l, "llama_memory_clear", api.memory_clear) && resolve(l, "llama_tokenize", api.tokenize) &&
           resolve(l, "llama_batch_get_one", api.batch_get_one) && resolve(l, "llama_decode", api.decode) &&
           resolve(l, "llama_sampler_sample", api.sampler_sample) &&
           resolve(l, "llama_vocab_is_eog", api.vocab_is_eog) &&
           resolve(l, "llama_token_to_piece", api.token_to_piece);
}

}  // namespace

std::shared_ptr<const LlamaApi> loadLlamaApi(const std::vector<std::string>& candidates, std::string* failure) {
    std::string tried;
    for (const std::string& candidate : candidates) {
        auto api = std::make_shared<LlamaApi>();
        api->library = platform::DynamicLibrary::open(candidate);
        if (api->library && resolveAll(*api)) return api;
        tried += (tried.empty() ? "" : "、") + candidate;
    }
    if (failure) *failure = tried;
    return nullptr;
}

std::vector<std::string> defaultLlamaLibraryCandidates() {
    const std::string name = platform::sharedLibraryFileName("llama");
    std::vector<std::string> candidates;
    const std::string directory = platform::executableDirectory();
    if (!directory.empty()) candidates.push_back(directory + platform::kPathSeparator + name);
    candidates.push_back(name);
    return candidates;
}

}  // namespace quillvarden
