#include "server/records/json_text.h"

namespace quillvarden {

std::string dumpCompact(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string dumpIndented(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<nlohmann::json> parseJsonBody(std::string_view body) {
    nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
    if (parsed.is_discarded()) return std::nullopt;
    return parsed;
}

}  // namespace quillvarden
