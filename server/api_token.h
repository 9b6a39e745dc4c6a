// The per-run API token. The loopback port is reachable by every process of every
// user; the token is what tells the program's own page (and whoever the user shows it
// to) from the rest. It is made fresh at each start and handed out through the
// owner-only file beside the program, the window's address and the console.
#pragma once

#include <string>
#include <string_view>

#include <httplib.h>

namespace quillvarden {

inline constexpr const char* kApiTokenHeader = "X-Quillvarden-Token";
inline constexpr const char* kApiTokenQueryParameter = "token";
inline constexpr const char* kApiTokenFileName = "api-token";
inline constexpr std::size_t kApiTokenBytes = 32;

// 64 lower-case hex digits of 32 bytes from the system's random source; empty when
// the source failed (an empty token admits nobody).
std::string generateApiToken();

// This run's token, made on first use and the same for the whole process.
const std::string& processApiToken();

// Equal contents, in time that depends only on the lengths.
bool constantTimeEquals(std::string_view a, std::string_view b);

// The API and the event stream need the token; preflights and the web files do not.
bool requestNeedsApiToken(const httplib::Request& req);

// The request presents the token: in the header, or as the "token" query parameter
// of a GET request (an EventSource cannot set headers). Never true for an empty token.
bool requestPresentsApiToken(const httplib::Request& req, std::string_view token);

// The address that opens the page with the token in its fragment, which the browser
// keeps to itself: it never reaches the server or a log.
std::string pageAddressWithToken(const std::string& host, int port, const std::string& token);

}  // namespace quillvarden
