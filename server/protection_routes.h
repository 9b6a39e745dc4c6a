// The routes that start, stop and report the three real-time protections.
#pragma once

#include <memory>

#include <httplib.h>

#include "server/app_services.h"

namespace quillvarden {

void registerProtectionRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services);

}  // namespace quillvarden
