#include "server/cross_origin.h"

#include <string>
#include <string_view>

#include "platform/ascii_text.h"

namespace quillvarden {
namespace {

bool isOwnAuthority(std::string_view authority, int port) {
    const std::string suffix = ":" + std::to_string(port);
    return equalsIgnoreAsciiCase(authority, "127.0.0.1" + suffix) ||
           equalsIgnoreAsciiCase(authority, "localhost" + suffix);
}

void setHeaderOnce(httplib::Response& res, const char* name, const char* value) {
    res.headers.erase(name);
    res.set_header(name, value);
}

}  // namespace

bool OriginPolicy::allows(const httplib::Request& req) const {
    const int port = port_.load();
    if (req.get_header_value_count("Host") != 1) return false;
    if (!isOwnAuthority(req.get_header_value("Host"), port)) return false;
    const std::size_t origins = req.get_header_value_count("Origin");
    if (origins == 0) return true;
    if (origins > 1) return false;
    const std::string origin = req.get_header_value("Origin");
    constexpr std::string_view scheme = "http://";
    if (origin.size() <= scheme.size() || !equalsIgnoreAsciiCase(origin.substr(0, scheme.size()), scheme)) {
        return false;
    }
    return isOwnAuthority(std::string_view(origin).substr(scheme.size()), port);
}

void installCrossOriginHandling(httplib::Server& server) {
    server.set_post_routing_handler([](const httplib::Request&, httplib::Response& res) {
        setHeaderOnce(res, "Access-Control-Allow-Origin", "*");
        setHeaderOnce(res, "Access-Control-Allow-Methods", "GET, POST, DELETE, OPTIONS");
        setHeaderOnce(res, "Access-Control-Allow-Headers", "Content-Type");
    });
    server.Options(".*", [](const httplib::Request&, httplib::Response& res) { res.status = 204; });
}

}  // namespace quillvarden
