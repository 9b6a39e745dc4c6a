// Writes a tiny Qwen2 model with random weights for the local-model tests: two
// layers, a 64-wide embedding, F16 matrices, and the real Qwen2 tokenizer (with its
// ChatML markers) copied from a vocabulary-only GGUF file. It writes gibberish, which
// is all the tests need: they check the mechanics, not the prose.
//   make_tiny_model VOCAB.gguf OUT.gguf
#include <ggml.h>
#include <gguf.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kEmbedding = 64;
constexpr int kHeads = 4;
constexpr int kKeyValueHeads = 2;
constexpr int kFeedForward = 128;
constexpr int kLayers = 2;

std::mt19937 random(20261210);

ggml_tensor* tensor(ggml_context* ctx, gguf_context* out, const std::string& name, ggml_type type, int64_t ne0,
                    int64_t ne1 = 1) {
    ggml_tensor* t = ne1 == 1 ? ggml_new_tensor_1d(ctx, type, ne0) : ggml_new_tensor_2d(ctx, type, ne0, ne1);
    ggml_set_name(t, name.c_str());
    std::normal_distribution<float> weights(0.0f, 0.08f);
    const int64_t count = ne0 * ne1;
    for (int64_t i = 0; i < count; ++i) {
        const float value = name.find("norm") != std::string::npos ? 1.0f : weights(random);
        if (type == GGML_TYPE_F16) {
            static_cast<ggml_fp16_t*>(t->data)[i] = ggml_fp32_to_fp16(value);
        } else {
            static_cast<float*>(t->data)[i] = value;
        }
    }
    gguf_add_tensor(out, t);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_tiny_model VOCAB.gguf OUT.gguf\n");
        return 2;
    }
    gguf_init_params params = {true, nullptr};
    gguf_context* vocab = gguf_init_from_file(argv[1], params);
    if (!vocab) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const int64_t tokensKey = gguf_find_key(vocab, "tokenizer.ggml.tokens");
    if (tokensKey < 0) {
        std::fprintf(stderr, "%s has no tokenizer\n", argv[1]);
        return 1;
    }
    const int64_t vocabSize = static_cast<int64_t>(gguf_get_arr_n(vocab, tokensKey));

    gguf_context* out = gguf_init_empty();
    gguf_set_kv(out, vocab);  // the tokenizer and whatever else the vocabulary file carries
    gguf_set_val_str(out, "general.architecture", "qwen2");
    gguf_set_val_str(out, "general.name", "quillvarden-tiny-qwen2");
    gguf_set_val_u32(out, "general.file_type", 1);  // mostly F16
    gguf_set_val_u32(out, "qwen2.context_length", 4096);
    gguf_set_val_u32(out, "qwen2.embedding_length", kEmbedding);
    gguf_set_val_u32(out, "qwen2.block_count", kLayers);
    gguf_set_val_u32(out, "qwen2.feed_forward_length", kFeedForward);
    gguf_set_val_u32(out, "qwen2.attention.head_count", kHeads);
    gguf_set_val_u32(out, "qwen2.attention.head_count_kv", kKeyValueHeads);
    gguf_set_val_f32(out, "qwen2.attention.layer_norm_rms_epsilon", 1e-6f);
    gguf_set_val_f32(out, "qwen2.rope.freq_base", 1000000.0f);

    const int64_t kvWidth = kEmbedding / kHeads * kKeyValueHeads;
    const size_t bytes = static_cast<size_t>(vocabSize * kEmbedding * 2 +
                                             kLayers * (4 * kEmbedding * kEmbedding + 3 * kEmbedding * kFeedForward) * 2 +
                                             (kLayers * 8 + 4) * kEmbedding * 4) +
                         64 * 1024 * 1024;
    ggml_init_params memory = {bytes, nullptr, false};
    ggml_context* ctx = ggml_init(memory);

    tensor(ctx, out, "token_embd.weight", GGML_TYPE_F16, kEmbedding, vocabSize);
    tensor(ctx, out, "output_norm.weight", GGML_TYPE_F32, kEmbedding);
    for (int layer = 0; layer < kLayers; ++layer) {
        const std::string blk = "blk." + std::to_string(layer) + ".";
        tensor(ctx, out, blk + "attn_norm.weight", GGML_TYPE_F32, kEmbedding);
        tensor(ctx, out, blk + "attn_q.weight", GGML_TYPE_F16, kEmbedding, kEmbedding);
        tensor(ctx, out, blk + "attn_k.weight", GGML_TYPE_F16, kEmbedding, kvWidth);
        tensor(ctx, out, blk + "attn_v.weight", GGML_TYPE_F16, kEmbedding, kvWidth);
        tensor(ctx, out, blk + "attn_q.bias", GGML_TYPE_F32, kEmbedding);
        tensor(ctx, out, blk + "attn_k.bias", GGML_TYPE_F32, kvWidth);
        tensor(ctx, out, blk + "attn_v.bias", GGML_TYPE_F32, kvWidth);
        tensor(ctx, out, blk + "attn_output.weight", GGML_TYPE_F16, kEmbedding, kEmbedding);
        tensor(ctx, out, blk + "ffn_norm.weight", GGML_TYPE_F32, kEmbedding);
        tensor(ctx, out, blk + "ffn_gate.weight", GGML_TYPE_F16, kEmbedding, kFeedForward);
        tensor(ctx, out, blk + "ffn_up.weight", GGML_TYPE_F16, kEmbedding, kFeedForward);
        tensor(ctx, out, blk + "ffn_down.weight", GGML_TYPE_F16, kFeedForward, kEmbedding);
    }
    const bool written = gguf_write_to_file(out, argv[2], false);
    ggml_free(ctx);
    gguf_free(out);
    gguf_free(vocab);
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
