#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "narrator/llama_narrator.h"
#include "narrator/narrator_selection.h"
#include "platform/process_paths.h"
#include "tests/support/console_capture.h"
#include "tests/support/fixtures.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

using test::ConsoleCapture;
using Line = ConsoleCapture::Line;

AttackChain sampleChain() {
    AttackChain chain;
    chain.score = 60;
    chain.level = 1;
    chain.processes = {"evil.exe", "cmd.exe"};
    chain.tactics = {"执行", "持久化"};
    SecurityEvent run;
    run.kind = EventKind::RegistryWrite;
    run.processName = "evil.exe";
    run.target = "HKCU\\Run\\x";
    SecurityEvent spawn;
    spawn.kind = EventKind::ProcessCreate;
    spawn.processName = "cmd.exe";
    spawn.parentName = "evil.exe";
    chain.events = {run, spawn};
    return chain;
}

TEST(LlamaNarratorText, CleanOutput) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"  故事<|im_end|>\n", "故事"},
        {"<|im_start|>assistant\n攻击者<|endoftext|>写入<|im_end|><|im_end|>", "assistant\n攻击者写入"},
        {"<|im_<|im_end|>end|>", ""},  // removing one marker can form another
        {" \t\r\n", ""},
        {"", ""},
        {"plain", "plain"},
    };
    for (const Case& c : cases) EXPECT_EQ(LlamaNarrator::cleanOutput(c.in), c.out) << c.in;
}

TEST(LlamaNarratorText, FactsAndPrompt) {
    const AttackChain chain = sampleChain();
    const std::string facts =
        "风险分：60（中危）\n"
        "涉及进程：evil.exe、cmd.exe\n"
        "ATT&CK 战术：执行 → 持久化\n"
        "事件序列：\n"
        "  1. 注册表写入 | 进程=evil.exe 父进程= 目标=HKCU\\Run\\x\n"
        "  2. 进程创建 | 进程=cmd.exe 父进程=evil.exe\n";
    EXPECT_EQ(LlamaNarrator::buildFacts(chain), facts);
    EXPECT_EQ(LlamaNarrator::buildPrompt(chain),
              "<|im_start|>system\n你是一名资深安全运营(SOC)分析师。基于给定的告警事实，"
              "用简洁专业的中文写一段威胁研判故事，说清攻击是如何一步步发生的、"
              "攻击者的意图，以及为何判定为该风险等级。只输出一段连贯的中文叙述，"
              "120～200字，不要分点、不要复述字段名、不要出现英文。<|im_end|>\n"
              "<|im_start|>user\n以下是本次聚合出的攻击链事实：\n" +
                  facts + "\n请给出威胁研判故事。<|im_end|>\n<|im_start|>assistant\n");

    AttackChain bare;
    bare.level = 9;
    SecurityEvent odd;
    odd.kind = static_cast<EventKind>(77);
    bare.events = {odd};
    EXPECT_EQ(LlamaNarrator::buildFacts(bare), "风险分：0（低危）\n涉及进程：\n事件序列：\n  1. 未知事件 | 进程= 父进程=\n");
}

TEST(LlamaNarratorText, ThreadCount) {
    EXPECT_EQ(narratorThreadCount(16), 8u);
    EXPECT_EQ(narratorThreadCount(8), 8u);
    EXPECT_EQ(narratorThreadCount(2), 2u);
    EXPECT_EQ(narratorThreadCount(0), 4u);
}

TEST(ModelDiscovery, DirectoriesInOrderAndTheFirstModelFile) {
    EXPECT_EQ(modelDirectories("C:\\Q", '\\'),
              (std::vector<std::string>{"models", "quillvarden\\models", "..\\..\\models", "C:\\Q\\models",
                                        "C:\\Q\\..\\..\\models"}));
    EXPECT_EQ(modelDirectories("", '/'), (std::vector<std::string>{"models", "quillvarden/models", "../../models"}));

    test::TempDir dir;
    dir.makeDir("a/only-dirs/x.gguf");  // a directory with the name of a model is skipped
    dir.write("a/only-dirs/readme.txt", "");
    dir.write("b/models/second.GGUF", "x");
    dir.write("c/models/third.gguf", "x");
    const std::string a = dir.str() + "/a/only-dirs";
    const std::string b = dir.str() + "/b/models";
    const std::string c = dir.str() + "/c/models";
    EXPECT_EQ(findModelInDirectory(a), "");
    EXPECT_EQ(findModelInDirectory(dir.str() + "/none"), "");
    EXPECT_EQ(discoverModelIn({a, dir.str() + "/none", b, c}), b + platform::kPathSeparator + "second.GGUF");
    EXPECT_EQ(discoverModelIn({a, c, b}), c + platform::kPathSeparator + "third.gguf");
    EXPECT_EQ(discoverModelIn({a}), "");

    // The current directory's "models" comes first.
    test::ScopedCurrentDir inside(dir.path() / "c");
    EXPECT_EQ(discoverModel(), std::string("models") + platform::kPathSeparator + "third.gguf");
}

TEST(NarratorSelection, NoModelMeansTemplates) {
    ConsoleCapture console;
    const NarratorSelection selection =
        selectNarratorFor("", [](const std::string&) -> std::unique_ptr<INarrator> { return nullptr; });
    EXPECT_EQ(selection.ruleMode, 1);
    EXPECT_EQ(selection.modelName, "");
    ASSERT_NE(selection.narrator, nullptr);
    EXPECT_EQ(selection.narrator->name(), "rule-template");
    EXPECT_EQ(console.lines(), (std::vector<Line>{
                                   {false, "[羽岚 Quillvarden] 未发现 models\\*.gguf 模型，使用规则降级模式。"},
                                   {false, "[羽岚 Quillvarden] 当前叙事模式：规则降级模式（无模型，纯离线模板）"}}));
}

TEST(NarratorSelection, MissingLibraryIsOneClearLine) {
    ConsoleCapture console;
    const NarratorSelection selection = selectNarratorFor("models/m.gguf", [](const std::string& path) {
        return std::make_unique<LlamaNarrator>(path, nullptr, "libnothing.so");
    });
    EXPECT_EQ(selection.ruleMode, 1);
    EXPECT_EQ(selection.narrator->name(), "rule-template");
    EXPECT_EQ(console.lines(),
              (std::vector<Line>{
                  {false, "[羽岚 Quillvarden] 发现本地模型： models/m.gguf，尝试启用 AI 模式……"},
                  {true, "[羽岚 Quillvarden] 未找到 llama.cpp 运行库（libnothing.so），本地模型不可用，回退规则模式。"},
                  {false, "[羽岚 Quillvarden] 当前叙事模式：规则降级模式（无模型，纯离线模板）"}}));
}

// The tests below need llama.cpp beside the test program (the native build puts it
// there; the Windows build has it only when a llama.dll was cross-built).
class WithLlama : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tried;
        api = sharedLlamaApi(&tried);
        if (!api) GTEST_SKIP() << "no llama.cpp library here: " << tried;
        model = test::fixturePath("tiny-qwen2.gguf");
        if (!std::filesystem::exists(std::filesystem::u8path(model))) GTEST_SKIP() << "no tiny model: " << model;
    }
    std::shared_ptr<const LlamaApi> api;
    std::string model;
};

TEST_F(WithLlama, InvalidModelFileGivesFourLinesAndTemplates) {
    test::TempDir dir;
    const std::string path = test::TempDir::toUtf8(dir.write("models/broken.gguf", "GGUF but not really"));
    ConsoleCapture console;
    const NarratorSelection selection =
        selectNarratorFor(path, [](const std::string& p) { return std::make_unique<LlamaNarrator>(p); });
    EXPECT_EQ(selection.ruleMode, 1);
    EXPECT_EQ(selection.narrator->name(), "rule-template");
    EXPECT_EQ(console.lines(),
              (std::vector<Line>{{false, "[羽岚 Quillvarden] 发现本地模型： " + path + "，尝试启用 AI 模式……"},
                                 {true, "[羽岚 Quillvarden] 模型加载失败，将回退规则模式： broken.gguf"},
                                 {true, "[羽岚 Quillvarden] 模型加载失败，自动降级为规则模式。"},
                                 {false, "[羽岚 Quillvarden] 当前叙事模式：规则降级模式（无模型，纯离线模板）"}}));
}

TEST_F(WithLlama, TinyModelTellsStoriesThroughTheRealTokenizer) {
    ConsoleCapture console;
    const NarratorSelection selection =
        selectNarratorFor(model, [](const std::string& p) { return std::make_unique<LlamaNarrator>(p); });
    ASSERT_EQ(selection.ruleMode, 0);
    EXPECT_EQ(selection.modelName, "tiny-qwen2.gguf");
    EXPECT_EQ(selection.narrator->name(), "llama.cpp");
    const auto lines = console.lines();
    ASSERT_EQ(lines.size(), 3u);
    const std::string threads = std::to_string(narratorThreadCount(std::thread::hardware_concurrency()));
    EXPECT_EQ(lines[1], (Line{false, "[羽岚 Quillvarden] 本地模型已就绪： tiny-qwen2.gguf（线程 " + threads + "）"}));
    EXPECT_EQ(lines[2], (Line{false, "[羽岚 Quillvarden] 当前叙事模式：AI 模式（本地大模型 tiny-qwen2.gguf）"}));

    auto& narrator = dynamic_cast<LlamaNarrator&>(*selection.narrator);
    AttackChain templated = sampleChain();
    RuleNarrator().narrate(templated);
    for (int attempt = 0; attempt < 3; ++attempt) {
        AttackChain chain = sampleChain();
        chain.story = "old";
        narrator.narrate(chain);
        EXPECT_EQ(chain.summary, templated.summary);
        EXPECT_EQ(chain.suggestions, templated.suggestions);
        // Random weights: a story of gibberish, or the template when it cleans down to
        // under 8 bytes; never the old text, never an empty one.
        EXPECT_NE(chain.story, "old");
        EXPECT_GE(chain.story.size(), 8u);
        EXPECT_EQ(chain.story, LlamaNarrator::cleanOutput(chain.story));
    }
}

// Counts decodes in flight around the real llama_decode.
std::atomic<int> decodesInFlight{0};
std::atomic<int> mostDecodesAtOnce{0};
decltype(&::llama_decode) realDecode = nullptr;

int32_t countingDecode(llama_context* context, llama_batch batch) {
    const int now = ++decodesInFlight;
    for (int seen = mostDecodesAtOnce.load(); now > seen && !mostDecodesAtOnce.compare_exchange_weak(seen, now);) {
    }
    const int32_t result = realDecode(context, batch);
    --decodesInFlight;
    return result;
}

TEST_F(WithLlama, GenerationsNeverOverlap) {
    auto counting = std::make_shared<LlamaApi>(*api);
    realDecode = api->decode;
    counting->decode = countingDecode;
    test::ConsoleCapture quiet;
    LlamaNarrator narrator(model, counting);
    ASSERT_TRUE(narrator.ready());
    std::vector<std::thread> threads;
    std::atomic<int> narrated{0};
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2; ++i) {
                AttackChain chain = sampleChain();
                narrator.narrate(chain);
                if (!chain.story.empty()) ++narrated;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(narrated.load(), 6);
    EXPECT_EQ(mostDecodesAtOnce.load(), 1) << "two stories were generated at once";
}

}  // namespace
}  // namespace quillvarden
