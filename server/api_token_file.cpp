#include "server/api_token_file.h"

#include <utility>

#include "platform/file_io.h"
#include "platform/process_paths.h"
#include "server/api_token.h"

namespace quillvarden {

std::string apiTokenFilePath() {
    const std::string directory = platform::executableDirectory();
    if (directory.empty()) return {};
    return directory + platform::kPathSeparator + kApiTokenFileName;
}

PublishedApiToken::PublishedApiToken(std::string path, std::string token)
    : path_(std::move(path)), token_(std::move(token)) {
    published_ = !path_.empty() && !token_.empty() &&
                 platform::replaceFileContent(path_, token_, platform::FileAccess::OwnerOnly);
}

PublishedApiToken::~PublishedApiToken() {
    if (!published_) return;
    const auto current = platform::readFilePrefix(path_, token_.size() + 1);
    if (current && *current == token_) platform::removeFile(path_);
}

}  // namespace quillvarden
