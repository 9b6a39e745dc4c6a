// GET /ws: the server-sent event stream.
#pragma once

#include <httplib.h>

#include "server/sse_hub.h"

namespace quillvarden {

void registerEventStreamRoute(httplib::Server& server, SseHub& hub);

}  // namespace quillvarden
