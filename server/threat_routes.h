// GET and DELETE /api/threats, POST /api/quarantine, POST /api/delete.
#pragma once

#include <memory>

#include <httplib.h>

#include "server/app_services.h"

namespace quillvarden {

void registerThreatRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services);

}  // namespace quillvarden
