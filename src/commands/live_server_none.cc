// For builds without the HTTP library: no server.
#include "commands/live_server.h"

namespace sc {

std::unique_ptr<LiveServer> NewLiveServer() { return nullptr; }

}  // namespace sc
