#include "server/event_stream_route.h"

#include <memory>
#include <string>

#include "server/json_reply.h"

namespace quillvarden {

void registerEventStreamRoute(httplib::Server& server, SseHub& hub) {
    server.Get("/ws", [&hub](const httplib::Request&, httplib::Response& res) {
        std::shared_ptr<SseClient> client = hub.connect();
        if (!client) {
            replyError(res, 503, "too many event streams");
            return;
        }
        res.set_header("Cache-Control", "no-cache");
        res.set_header("Connection", "keep-alive");
        res.set_chunked_content_provider(
            "text/event-stream",
            [&hub, client](std::size_t, httplib::DataSink& sink) {
                std::string frame;
                if (!hub.nextFrame(*client, frame)) return false;
                return sink.write(frame.data(), frame.size());
            },
            [&hub, client](bool) { hub.release(client); });
    });
}

}  // namespace quillvarden
