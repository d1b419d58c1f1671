// The live viewer's server on cpp-httplib.
#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "commands/live_server.h"
#include "commands/request_guard.h"

namespace sc {
namespace {

using namespace std::chrono_literals;

constexpr const char* kHost = "127.0.0.1";
// Each open page holds one worker with its update stream; the rest answer
// the page and data requests. Streams beyond the limit are refused (the page
// retries), so pages never starve the other requests.
constexpr size_t kWorkers = 16;
constexpr int kMaxStreams = 10;
// An update stream with nothing to say sends a comment this often, so a
// closed page is noticed and its worker freed.
constexpr int kStreamQuietSeconds = 15;

class HttplibLiveServer : public LiveServer {
 public:
  ~HttplibLiveServer() override { Stop(); }

  Status Start(int port, int* bound_port) override {
    Configure();
    errno = 0;
    const int asked = port;
    if (asked == 0) {
      port = server_.bind_to_any_port(kHost);
    } else if (!server_.bind_to_port(kHost, asked)) {
      port = -1;
    }
    if (port <= 0) {
      const int error = errno;
      std::string address =
          std::string(kHost) + (asked == 0 ? " (a free port)" : ":" + std::to_string(asked));
      if (error == EADDRINUSE) {
        return Status::IoError(
            "cannot listen on " + address +
            ": the port is in use (another view --serve?); choose another with --port N");
      }
      return Status::IoError("cannot listen on " + address +
                             (error ? std::string(": ") + std::strerror(error) : std::string()));
    }
    port_ = port;
    *bound_port = port;
    listener_ = std::thread([this] {
      server_.listen_after_bind();
      listening_done_ = true;
    });
    // stop() only reaches a server that runs: wait until it does.
    while (!server_.is_running() && !listening_done_) std::this_thread::sleep_for(1ms);
    return Status::Ok();
  }

  void Publish(LiveContent content) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      content_ = std::make_shared<const LiveContent>(std::move(content));
      ++version_;
    }
    changed_.notify_all();
  }

  void Stop() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    if (listener_.joinable()) {
      server_.stop();
      listener_.join();
    }
  }

 private:
  void Configure() {
    server_.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    // The library's default also sets SO_REUSEPORT, which would let a second
    // server share the port: only SO_REUSEADDR, so a second one is refused.
    server_.set_socket_options([](socket_t sock) {
      int yes = 1;
      ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<char*>(&yes), sizeof yes);
    });
    server_.set_read_timeout(5, 0);
    server_.set_write_timeout(5, 0);
    server_.set_keep_alive_timeout(2);
    server_.set_payload_max_length(16 * 1024);
    server_.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
          res.status = 500;
          res.set_content("internal error\n", "text/plain");
        });
    // Every request is answered here: nothing reaches the library's routing
    // (and so no file).
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      Answer(req, res);
      return httplib::Server::HandlerResponse::Handled;
    });
  }

  void Answer(const httplib::Request& req, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    RequestVerdict verdict = CheckRequest(req.method, req.path, req.has_header("Host"),
                                          req.get_header_value("Host"), port_);
    if (verdict.status != 200) {
      res.status = verdict.status;
      res.set_content(verdict.reason + "\n", "text/plain");
      return;
    }
    std::shared_ptr<const LiveContent> content = Current();
    switch (verdict.resource) {
      case LiveResource::kPage: res.set_content(content->page, "text/html; charset=utf-8"); break;
      case LiveResource::kData: res.set_content(content->data, "application/json"); break;
      case LiveResource::kEvents: OpenStream(res); break;
      case LiveResource::kNone: res.status = 404; break;
    }
  }

  // The update stream: the present notice at once, then each new one.
  void OpenStream(httplib::Response& res) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (streams_ >= kMaxStreams) {
        res.status = 503;
        res.set_header("Retry-After", "5");
        res.set_content("too many open pages\n", "text/plain");
        return;
      }
      ++streams_;
    }
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, sent = uint64_t{0}, quiet = 0](size_t, httplib::DataSink& sink) mutable {
          std::unique_lock<std::mutex> lock(mutex_);
          changed_.wait_for(lock, 1s, [&] { return stopping_ || version_ != sent; });
          if (stopping_) {
            lock.unlock();
            sink.done();
            return true;
          }
          std::string event;
          if (version_ != sent) {
            sent = version_;
            quiet = 0;
            event = "data: " + content_->notice + "\n\n";
          } else if (++quiet >= kStreamQuietSeconds) {
            quiet = 0;
            event = ": waiting for changes\n\n";
          }
          lock.unlock();
          if (event.empty()) return sink.is_writable();
          return sink.write(event.data(), event.size());
        },
        [this](bool) {
          std::lock_guard<std::mutex> lock(mutex_);
          --streams_;
        });
  }

  std::shared_ptr<const LiveContent> Current() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!content_) content_ = std::make_shared<const LiveContent>();
    return content_;
  }

  httplib::Server server_;
  std::thread listener_;
  std::atomic<bool> listening_done_{false};
  int port_ = 0;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::shared_ptr<const LiveContent> content_;
  uint64_t version_ = 0;
  bool stopping_ = false;
  int streams_ = 0;
};

}  // namespace

std::unique_ptr<LiveServer> NewLiveServer() { return std::make_unique<HttplibLiveServer>(); }

}  // namespace sc
