#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/e2e/app_process.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/engine_samples.h"
#include "tests/support/event_stream_reader.h"
#include "tests/support/pe_builder.h"

namespace quillvarden::e2e {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using test::kEicar;

void writeFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

httplib::Result postJson(const std::string& route, const json& body) {
    return client()->Post(route.c_str(), body.dump(), "application/json");
}

class ScanThroughTheApi : public RunningApp {
protected:
    void SetUp() override {
        RunningApp::SetUp();
        ASSERT_EQ(client()->Delete("/api/threats")->status, 200);
        data_ = root_->path() / "data";
        fs::remove_all(data_);
    }
    fs::path data_;
};

TEST_F(ScanThroughTheApi, LoadsRulesAndSignaturesAtStartUp) {
    const std::string out = app_->standardOutput();
    EXPECT_NE(out.find("[羽岚 Quillvarden] 检测库加载完成：规则 14 条(外部新增 1)，哈希 8 条(外部新增 2)\n"),
              std::string::npos)
        << out;
}

TEST_F(ScanThroughTheApi, DirectoryScanReportsThreatsOnTheStreamAndInTheList) {
    writeFile(data_ / "eicar.com", kEicar);
    writeFile(data_ / "sub" / "sample.exe", "Quillvarden end-to-end sample\n");
    writeFile(data_ / "clean.exe", "nothing to see");
    test::EventStreamReader stream(kPort, apiToken(), {}, std::chrono::seconds(60));
    ASSERT_TRUE(stream.waitUntilConnected());

    auto started = postJson("/api/scan", {{"path", programPath(data_)}});
    ASSERT_TRUE(started);
    ASSERT_EQ(started->status, 200) << started->body;
    EXPECT_EQ(json::parse(started->body), json({{"isDir", true}, {"path", programPath(data_)}, {"status", "started"}}));

    ASSERT_TRUE(stream.waitForEvent("scan_done")) << stream.text();
    const auto events = stream.events();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front().name, "scan_start");
    EXPECT_EQ(events[1].name, "progress");
    std::vector<std::string> rules;
    for (const auto& e : events) {
        if (e.name == "threat") rules.push_back(json::parse(e.data)["ruleName"]);
    }
    std::sort(rules.begin(), rules.end());
    EXPECT_EQ(rules, (std::vector<std::string>{"E2E.Sample.Sha256", "EICAR-Test-File", "EICAR-Test-File"}));
    EXPECT_EQ(json::parse(events[events.size() - 2].data),
              json({{"currentFile", ""}, {"running", false}, {"scannedFiles", 3}, {"threatsFound", 3}, {"totalFiles", 3}}));

    const json list = json::parse(client()->Get("/api/threats")->body);
    EXPECT_EQ(list["count"], 3);
    const json progress = json::parse(client()->Get("/api/scan/progress")->body);
    EXPECT_EQ(progress["scannedFiles"], 3);
}

TEST_F(ScanThroughTheApi, RefusesMissingPathsAndBadBodies) {
    auto missing = postJson("/api/scan", {{"path", programPath(data_ / "nope.exe")}});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(json::parse(missing->body)["message"], "路径不存在：" + programPath(data_ / "nope.exe"));
    auto bad = client()->Post("/api/quarantine", "not json", "application/json");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 400);
    EXPECT_EQ(bad->body, R"({"status":"error","message":"invalid JSON"})");
}

TEST_F(ScanThroughTheApi, QuarantineAndDeleteAReportedFile) {
    writeFile(data_ / "eicar.com", kEicar);
    writeFile(data_ / "other.com", kEicar);
    const std::string eicar = programPath(data_ / "eicar.com");
    test::EventStreamReader stream(kPort, apiToken(), {}, std::chrono::seconds(60));
    ASSERT_TRUE(stream.waitUntilConnected());
    ASSERT_EQ(postJson("/api/scan", {{"path", eicar}})->status, 200);
    ASSERT_TRUE(stream.waitForEvent("scan_done"));

    auto quarantined = postJson("/api/quarantine", {{"filePath", eicar}});
    ASSERT_TRUE(quarantined);
    EXPECT_EQ(quarantined->body, json({{"filePath", eicar}, {"status", "ok"}}).dump());
    EXPECT_FALSE(fs::exists(data_ / "eicar.com"));
    EXPECT_TRUE(fs::exists(app_->appDir() / "quarantine" / "eicar.com.quarantine"));
    ASSERT_TRUE(stream.waitForEvent("quarantined"));
    const json list = json::parse(client()->Get("/api/threats")->body);
    ASSERT_EQ(list["count"], 2);
    EXPECT_TRUE(list["threats"][0]["quarantined"].get<bool>());
    EXPECT_TRUE(list["threats"][1]["quarantined"].get<bool>());

    // Only what a scan reported can be deleted: other.com is not reported yet.
    const std::string other = programPath(data_ / "other.com");
    auto refused = postJson("/api/delete", {{"filePath", other}});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);
    EXPECT_TRUE(fs::exists(data_ / "other.com"));
    ASSERT_EQ(postJson("/api/scan", {{"path", other}})->status, 200);
    ASSERT_TRUE(stream.waitFor([&](const std::string& text) {
        return text.find("event: scan_done") != text.rfind("event: scan_done");  // the second one
    }));

    auto deleted = postJson("/api/delete", {{"filePath", other}});
    ASSERT_TRUE(deleted);
    EXPECT_EQ(json::parse(deleted->body)["status"], "ok");
    EXPECT_FALSE(fs::exists(data_ / "other.com"));
    ASSERT_TRUE(stream.waitForEvent("deleted"));
}

TEST_F(ScanThroughTheApi, TrustedDirectoriesAreSkippedAndSaved) {
    writeFile(data_ / "trusted" / "eicar.com", kEicar);
    writeFile(data_ / "eicar.com", kEicar);
    const std::string trusted = programPath(data_ / "trusted");
    auto added = postJson("/api/trust", {{"path", trusted}});
    ASSERT_TRUE(added);
    EXPECT_EQ(json::parse(added->body), json({{"dirs", {trusted}}, {"path", trusted}, {"status", "ok"}}));
    EXPECT_EQ(json::parse(postJson("/api/trust", {{"path", trusted}})->body)["status"], "exists");

    test::EventStreamReader stream(kPort, apiToken(), {}, std::chrono::seconds(60));
    ASSERT_TRUE(stream.waitUntilConnected());
    ASSERT_EQ(postJson("/api/scan", {{"path", programPath(data_)}})->status, 200);
    ASSERT_TRUE(stream.waitForEvent("scan_done"));
    const json list = json::parse(client()->Get("/api/threats")->body);
    ASSERT_EQ(list["count"], 2);
    EXPECT_EQ(list["threats"][0]["filePath"], programPath(data_ / "eicar.com"));

    std::ifstream saved(app_->appDir() / "trustlist.txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, trusted + "\n");

    auto removed = client()->Delete("/api/trust", json{{"path", trusted}}.dump(), "application/json");
    ASSERT_TRUE(removed);
    EXPECT_EQ(json::parse(removed->body)["status"], "ok");
    EXPECT_EQ(json::parse(client()->Get("/api/trust")->body), json({{"count", 0}, {"dirs", json::array()}}));
}

TEST_F(ScanThroughTheApi, AnalysisRulesHeuristicsSigningAndNarration) {
    writeFile(data_ / "eicar.com", kEicar);
    writeFile(data_ / "marker.js", "var x = 'QUILLVARDEN-E2E-RULE-MARKER';");
    const auto packed = test::PeBuilder().section(".UPX0", test::PeBuilder::randomBytes(4096)).build();
    writeFile(data_ / "packed.exe", std::string(packed.begin(), packed.end()));
    fs::copy_file(fs::path(QV_FIXTURES_DIR) / "signed.exe", data_ / "signed.exe");

    test::EventStreamReader stream(kPort, apiToken(), {}, std::chrono::seconds(60));
    ASSERT_TRUE(stream.waitUntilConnected());
    ASSERT_EQ(postJson("/api/scan", {{"path", programPath(data_)}})->status, 200);
    ASSERT_TRUE(stream.waitForEvent("scan_done"));

    std::map<std::string, json> byRule;
    for (const auto& e : stream.events()) {
        if (e.name != "threat") continue;
        const json threat = json::parse(e.data);
        byRule[threat["fileName"].get<std::string>() + " " + threat["ruleName"].get<std::string>()] = threat;
    }
    std::vector<std::string> found;
    for (const auto& [key, threat] : byRule) found.push_back(key);
    EXPECT_EQ(found, (std::vector<std::string>{"eicar.com EICAR-Test-File", "marker.js E2E_Sample_Rule",
                                               "packed.exe PE.Heuristic.Suspicious", "signed.exe E2E_Sample_Rule"}));

    const json& rule = byRule["marker.js E2E_Sample_Rule"];
    EXPECT_EQ(rule["type"], "YaraRule");
    EXPECT_EQ(rule["severity"], "Medium");
    EXPECT_EQ(rule["description"], "端到端测试样本规则");
    EXPECT_EQ(rule["signatureStatus"], "unsigned");
    EXPECT_EQ(rule["aiSummary"], "检测到中危攻击链（风险分 50），涉及 1 个进程、1 个关联事件，横跨 执行 战术阶段。");
    EXPECT_EQ(rule["aiSuggestions"].size(), 3u);

    const json& heuristic = byRule["packed.exe PE.Heuristic.Suspicious"];
    // Random section data, so the entropy's last digits vary; the samples lie under /tmp.
    const std::string description = heuristic["description"];
    EXPECT_EQ(description.rfind("PE 启发式检测命中(得分 65)：PE 节名 \".UPX0\" 为已知加壳器特征；节 \".UPX0\" 熵值过高(7.", 0), 0u)
        << description;
    EXPECT_NE(description.find(")，疑似加密/压缩；PE 文件位于临时目录"), std::string::npos) << description;
    EXPECT_EQ(heuristic["severity"], "Critical");
    EXPECT_EQ(heuristic["sha256"].get<std::string>().size(), 64u);

    const json& signedRule = byRule["signed.exe E2E_Sample_Rule"];
    EXPECT_EQ(signedRule["signatureStatus"], "untrusted");
    EXPECT_EQ(signedRule["signerName"], "Quillvarden Test Signer");

    const json list = json::parse(client()->Get("/api/threats")->body);
    EXPECT_EQ(list["count"], 5);  // EICAR gives two records
}

}  // namespace
}  // namespace quillvarden::e2e
