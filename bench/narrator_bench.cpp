// Time per story and memory of the local-model narrator.
//   narrator_bench MODEL.gguf [stories, default 5]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "narrator/llama_narrator.h"

int main(int argc, char** argv) {
    using namespace quillvarden;
    if (argc < 2) {
        std::fprintf(stderr, "usage: narrator_bench MODEL.gguf [stories]\n");
        return 2;
    }
    const int stories = argc > 2 ? std::atoi(argv[2]) : 5;

    const auto loadStart = std::chrono::steady_clock::now();
    LlamaNarrator narrator(argv[1]);
    const double loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    if (!narrator.ready()) return 1;

    AttackChain chain;
    chain.score = 60;
    chain.level = 1;
    chain.processes = {"C:\\Users\\u\\AppData\\Local\\Temp\\updater.exe"};
    chain.tactics = {"持久化"};
    SecurityEvent event;
    event.kind = EventKind::RegistryWrite;
    event.processName = chain.processes[0];
    event.target = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater";
    chain.events = {event, event};

    int generated = 0;
    std::string last;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < stories; ++i) {
        AttackChain copy = chain;
        narrator.fallback.narrate(copy);
        generated += narrator.generateStory(copy) ? 1 : 0;
        last = copy.story;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("model loaded in %.2f s\n", loadSeconds);
    std::printf("%d stories (%d from the model) in %.2f s: %.2f s per story\n", stories, generated, seconds,
                seconds / stories);
    std::printf("peak resident memory: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    std::printf("last story: %s\n", last.substr(0, 300).c_str());
    return 0;
}
