// GET, POST and DELETE /api/trust.
#pragma once

#include <memory>

#include <httplib.h>

#include "server/app_services.h"

namespace quillvarden {

void registerTrustRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services);

}  // namespace quillvarden
