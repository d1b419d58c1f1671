// The live viewer's web server: serves the viewer page, its data and a
// stream of update notices (Server-Sent Events) on 127.0.0.1 only, to the
// requests request_guard.h lets through, from a thread of its own.
#ifndef SC_COMMANDS_LIVE_SERVER_H_
#define SC_COMMANDS_LIVE_SERVER_H_

#include <memory>
#include <string>

#include "platform/status.h"

namespace sc {

// What the server hands out; replaced whole by Publish.
struct LiveContent {
  std::string page;  // the viewer page (HTML)
  std::string data;  // the page's data (JSON), for /data
  // A save whose check failed: its own data (JSON), for /failed-data, while
  // /data holds the last good picture; "" otherwise (404).
  std::string failed_data;
  std::string notice;  // one line of JSON telling the page what changed
};

class LiveServer {
 public:
  virtual ~LiveServer() = default;
  // Listens on 127.0.0.1:`port` (0: a free port) and starts answering.
  // Sets *bound_port. Fails, naming the address, when the port is taken.
  virtual Status Start(int port, int* bound_port) = 0;
  // Serves `content` from now on and sends its notice to every open page.
  virtual void Publish(LiveContent content) = 0;
  // Ends the open streams, stops answering and waits for its thread.
  virtual void Stop() = 0;
};

// The server (Boost.Beast on Boost.Asio).
std::unique_ptr<LiveServer> NewLiveServer();

}  // namespace sc

#endif  // SC_COMMANDS_LIVE_SERVER_H_
