// A harmless program for the execution-protection tests: sleeps for the seconds
// given (default 30) and exits 0. Copies of it with a marker appended are what the
// tests' rules flag.
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return 0;
}
