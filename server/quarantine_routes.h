// The quarantine folder's contents, with restore and permanent deletion.
#pragma once

#include <memory>

#include <httplib.h>

#include "server/app_services.h"

namespace quillvarden {

void registerQuarantineRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services);

}  // namespace quillvarden
