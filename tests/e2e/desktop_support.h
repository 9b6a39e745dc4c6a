// What the desktop tests need around the program: commands with their output, and
// whether the desktop environment (a display, a window manager, a session bus) was
// provided by scripts/desktop-test.sh.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace quillvarden::e2e {

// QV_DESKTOP_TESTS is set by the desktop test script, which starts Xvfb, a window
// manager and a session bus first.
bool desktopEnvironment();

// Runs a command (argument list, no shell) and returns its standard output; the exit
// status through status when given.
std::string capture(const std::vector<std::string>& argv, int* status = nullptr);

// Polls until the command's output satisfies the predicate; the last output.
template <typename Predicate>
std::string waitForOutput(const std::vector<std::string>& argv, Predicate predicate,
                          std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Where test artefacts (screenshots) go: QV_ARTEFACTS, else the temporary folder.
std::string artefactDirectory();

}  // namespace quillvarden::e2e

#include <thread>

namespace quillvarden::e2e {

template <typename Predicate>
std::string waitForOutput(const std::vector<std::string>& argv, Predicate predicate,
                          std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string output;
    do {
        output = capture(argv);
        if (predicate(output)) return output;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    } while (std::chrono::steady_clock::now() < deadline);
    return output;
}

}  // namespace quillvarden::e2e
