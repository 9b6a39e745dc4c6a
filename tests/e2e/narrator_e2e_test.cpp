#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ruleengine/hidden_text.h"
#include "tests/e2e/app_process.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/event_stream_reader.h"

namespace quillvarden::e2e {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Lines appear in this order in the text.
void expectInOrder(const std::string& text, const std::vector<std::string>& lines) {
    std::size_t at = 0;
    for (const std::string& line : lines) {
        const auto found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\nin:\n" << text;
        at = found + line.size();
    }
}

TEST(Narration, TemplatesWithoutAModel) {
    ASSERT_FALSE(portInUse());
    TempRoot root;
    AppProcess app(root.path());
    ASSERT_TRUE(app.waitUntilServing()) << app.standardError();
    expectInOrder(app.standardOutput(), {"[羽岚 Quillvarden] 未发现 models\\*.gguf 模型，使用规则降级模式。\n",
                                         "[羽岚 Quillvarden] 当前叙事模式：规则降级模式（无模型，纯离线模板）\n",
                                         "[羽岚 Quillvarden] 检测库加载完成："});
}

// Scans one sample and returns its threat record.
json scanOneSample(const TempRoot& root) {
    const fs::path sample = root.path() / "data" / "miner.sh";
    fs::create_directories(sample.parent_path());
    std::ofstream(sample) << hide("./xmrig -o stratum+tcp://example:3333\n").reveal();
    test::EventStreamReader stream(kPort, apiToken(), {}, std::chrono::seconds(120));
    EXPECT_TRUE(stream.waitUntilConnected());
    auto started = client()->Post("/api/scan", json{{"path", programPath(sample)}}.dump(), "application/json");
    EXPECT_TRUE(started && started->status == 200);
    EXPECT_TRUE(stream.waitForEvent("scan_done", std::chrono::seconds(120)));
    json threat;
    for (const auto& e : stream.events()) {
        if (e.name == "threat") threat = json::parse(e.data);
    }
    return threat;
}

std::string templateStory(const TempRoot& root) {
    return "本次高危事件呈现出清晰的攻击链条：第 1 步，miner.sh 向磁盘落地文件 " +
           programPath(root.path() / "data" / "miner.sh") + "；建议立即隔离处置。";
}

std::string modelPathSeen() { return std::string("models") + (runsUnderWine() ? "\\" : "/") + "tiny-qwen2.gguf"; }
const std::string kSummary = "检测到高危攻击链（风险分 70），涉及 1 个进程、1 个关联事件，横跨 执行 战术阶段。";

TEST(Narration, ModelFileTellsTheStories) {
    // llama.cpp is beside the program natively, and under Wine when the DLLs were
    // cross-built (scripts/setup-llama-windows.sh).
    if (runsUnderWine() && !fs::exists(appUnderTest().parent_path() / "llama.dll")) GTEST_SKIP() << "no llama.dll";
    ASSERT_FALSE(portInUse());
    TempRoot root;
    AppProcess app(root.path(), {}, {{fs::path(QV_FIXTURES_DIR) / "tiny-qwen2.gguf", "models/tiny-qwen2.gguf"}});
    ASSERT_TRUE(app.waitUntilServing(std::chrono::seconds(180))) << app.standardError();
    expectInOrder(app.standardOutput(), {"[羽岚 Quillvarden] 发现本地模型： " + modelPathSeen() + "，尝试启用 AI 模式……\n",
                                         "[羽岚 Quillvarden] 本地模型已就绪： tiny-qwen2.gguf（线程 ",
                                         "[羽岚 Quillvarden] 当前叙事模式：AI 模式（本地大模型 tiny-qwen2.gguf）\n",
                                         "[羽岚 Quillvarden] 检测库加载完成："});
    const json threat = scanOneSample(root);
    ASSERT_FALSE(threat.is_null());
    EXPECT_EQ(threat["aiSummary"], kSummary);
    EXPECT_EQ(threat["aiSuggestions"].size(), 3u);
    EXPECT_NE(threat["aiStory"], templateStory(root)) << "the model writes the story";
    EXPECT_GE(threat["aiStory"].get<std::string>().size(), 8u);
}

TEST(Narration, ModelWithoutTheLibraryFallsBackInOneLine) {
    ASSERT_FALSE(portInUse());
    TempRoot root;
    AppProcess app(root.path(), {}, {{fs::path(QV_FIXTURES_DIR) / "tiny-qwen2.gguf", "models/tiny-qwen2.gguf"}},
                   /*withLlama=*/false);
    ASSERT_TRUE(app.waitUntilServing()) << app.standardError();
    expectInOrder(app.standardOutput(), {"[羽岚 Quillvarden] 发现本地模型： " + modelPathSeen() + "，尝试启用 AI 模式……\n",
                                         "[羽岚 Quillvarden] 当前叙事模式：规则降级模式（无模型，纯离线模板）\n"});
    const std::string err = app.standardError();
    expectInOrder(err, {"[羽岚 Quillvarden] 未找到 llama.cpp 运行库（", "），本地模型不可用，回退规则模式。\n"});
    EXPECT_EQ(err.find("模型加载失败"), std::string::npos) << "one line, not two";
    const json threat = scanOneSample(root);
    ASSERT_FALSE(threat.is_null());
    EXPECT_EQ(threat["aiSummary"], kSummary);
    EXPECT_EQ(threat["aiStory"], templateStory(root));
}

}  // namespace
}  // namespace quillvarden::e2e
