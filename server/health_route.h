// GET /api/health: the state of every long-lived object, read at request time.
#pragma once

#include <memory>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "server/app_services.h"

namespace quillvarden {

nlohmann::json healthReport(AppServices& services);
void registerHealthRoute(httplib::Server& server, const std::shared_ptr<AppServices>& services);

}  // namespace quillvarden
