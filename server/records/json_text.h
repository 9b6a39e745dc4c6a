// The JSON text conventions of every reply and event: keys in ascending byte order
// (the library's sorted object), raw UTF-8, compact unless asked otherwise.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quillvarden {

// Bytes that are not valid UTF-8 (file names on some systems can hold them) are
// written as U+FFFD instead of making the serialiser throw.
std::string dumpCompact(const nlohmann::json& value);
std::string dumpIndented(const nlohmann::json& value);  // two spaces per level

// The body as JSON, or nothing when it is not JSON at all (an empty body included).
std::optional<nlohmann::json> parseJsonBody(std::string_view body);

}  // namespace quillvarden
