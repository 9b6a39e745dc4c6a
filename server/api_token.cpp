#include "server/api_token.h"

#include <array>

#include "platform/secure_random.h"

namespace quillvarden {

std::string generateApiToken() {
    std::array<unsigned char, kApiTokenBytes> bytes{};
    if (!platform::fillSecureRandom(bytes.data(), bytes.size())) return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    token.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        token.push_back(kHex[byte >> 4]);
        token.push_back(kHex[byte & 0x0f]);
    }
    return token;
}

const std::string& processApiToken() {
    static const std::string token = generateApiToken();
    return token;
}

bool constantTimeEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    // Read through a volatile so that the loop is not cut short on the first mismatch.
    volatile unsigned char result = difference;
    return result == 0;
}

bool requestNeedsApiToken(const httplib::Request& req) {
    if (req.method == "OPTIONS") return false;
    const std::string& path = req.path;
    return path == "/ws" || path == "/api" || path.rfind("/api/", 0) == 0;
}

bool requestPresentsApiToken(const httplib::Request& req, std::string_view token) {
    if (token.empty()) return false;
    // One value only: a repeated header or parameter is ambiguous, so it is refused.
    const std::size_t headers = req.get_header_value_count(kApiTokenHeader);
    if (headers == 1) return constantTimeEquals(req.get_header_value(kApiTokenHeader), token);
    if (headers > 1) return false;
    if (req.method != "GET" || req.get_param_value_count(kApiTokenQueryParameter) != 1) return false;
    return constantTimeEquals(req.get_param_value(kApiTokenQueryParameter), token);
}

std::string pageAddressWithToken(const std::string& host, int port, const std::string& token) {
    return "http://" + host + ":" + std::to_string(port) + "/#token=" + token;
}

}  // namespace quillvarden
