// The llama.cpp functions the local-model narrator uses, resolved from the library
// at run time: the program does not link llama.cpp, so a machine without a model
// never needs it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <llama.h>

#include "platform/dynamic_library.h"

namespace quillvarden {

struct LlamaApi {
    decltype(&::llama_log_set) log_set = nullptr;
    decltype(&::llama_backend_init) backend_init = nullptr;
    decltype(&::llama_backend_free) backend_free = nullptr;
    decltype(&::llama_model_default_params) model_default_params = nullptr;
    decltype(&::llama_model_load_from_file) model_load_from_file = nullptr;
    decltype(&::llama_model_get_vocab) model_get_vocab = nullptr;
    decltype(&::llama_model_free) model_free = nullptr;
    decltype(&::llama_context_default_params) context_default_params = nullptr;
    decltype(&::llama_init_from_model) init_from_model = nullptr;
    decltype(&::llama_free) free = nullptr;
    decltype(&::llama_sampler_chain_default_params) sampler_chain_default_params = nullptr;
    decltype(&::llama_sampler_chain_init) sampler_chain_init = nullptr;
    decltype(&::llama_sampler_chain_add) sampler_chain_add = nullptr;
    decltype(&::llama_sampler_init_top_k) sampler_init_top_k = nullptr;
    decltype(&::llama_sampler_init_top_p) sampler_init_top_p = nullptr;
    decltype(&::llama_sampler_init_temp) sampler_init_temp = nullptr;
    decltype(&::llama_sampler_init_dist) sampler_init_dist = nullptr;
    decltype(&::llama_sampler_free) sampler_free = nullptr;
    decltype(&::llama_get_memory) get_memory = nullptr;
    decltype(&::llama_memory_clear) memory_clear = nullptr;
    decltype(&::llama_tokenize) tokenize = nullptr;
    decltype(&::llama_batch_get_one) batch_get_one = nullptr;
    decltype(&::llama_decode) decode = nullptr;
    decltype(&::llama_sampler_sample) sampler_sample = nullptr;
    decltype(&::llama_vocab_is_eog) vocab_is_eog = nullptr;
    decltype(&::llama_token_to_piece) token_to_piece = nullptr;

    std::shared_ptr<platform::DynamicLibrary> library;  // kept open while the functions are in use
};

// Loads the first candidate that opens and resolves every function. Null when none
// does; failure then says which library files were tried.
std::shared_ptr<const LlamaApi> loadLlamaApi(const std::vector<std::string>& candidates, std::string* failure);

// Beside the executable first, then wherever the system looks for libraries.
std::vector<std::string> defaultLlamaLibraryCandidates();

}  // namespace quillvarden
