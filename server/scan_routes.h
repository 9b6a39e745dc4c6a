// POST /api/scan, POST /api/scan/stop, GET /api/scan/progress, and the scan jobs.
#pragma once

#include <memory>

#include <httplib.h>

#include "server/app_services.h"

namespace quillvarden {

void registerScanRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services);

}  // namespace quillvarden
