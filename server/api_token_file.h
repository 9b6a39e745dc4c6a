// The owner-only file "api-token" beside the executable: how the user, a script of
// theirs or the desktop host learn this run's token. A process that can read it could
// read the user's files anyway; nobody else can.
#pragma once

#include <string>

namespace quillvarden {

// Beside the executable; empty when the executable's directory is unknown.
std::string apiTokenFilePath();

// Publishes the token for the life of the object: written atomically, readable by the
// current user only, replacing the previous run's file; removed again at a clean exit
// unless another run has replaced it meanwhile.
class PublishedApiToken {
public:
    PublishedApiToken(std::string path, std::string token);
    ~PublishedApiToken();
    PublishedApiToken(const PublishedApiToken&) = delete;
    PublishedApiToken& operator=(const PublishedApiToken&) = delete;

    bool published() const { return published_; }

private:
    std::string path_;
    std::string token_;
    bool published_ = false;
};

}  // namespace quillvarden
