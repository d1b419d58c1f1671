#include "commands/lsp_command.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "commands/json_rpc.h"
#include "commands/lsp_server.h"
#include "platform/binary_streams.h"

namespace sc {
namespace {

// Message bodies from the reading thread, with the end of input.
class Inbox {
 public:
  void Push(std::string body) {
    std::lock_guard<std::mutex> lock(mutex_);
    bodies_.push_back(std::move(body));
    ready_.notify_one();
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    ready_.notify_one();
  }
  // Waits until a body arrives, the input ends, or `until` passes (none:
  // no limit). False when nothing came.
  template <typename TimePoint>
  bool Pop(const std::optional<TimePoint>& until, std::string* body, bool* closed) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [&] { return !bodies_.empty() || closed_; };
    if (until) {
      ready_.wait_until(lock, *until, ready);
    } else {
      ready_.wait(lock, ready);
    }
    *closed = closed_ && bodies_.empty();
    if (bodies_.empty()) return false;
    *body = std::move(bodies_.front());
    bodies_.pop_front();
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::string> bodies_;
  bool closed_ = false;
};

// What the reading thread shares with the serving one. Held by both, so the
// reader, left blocked on input at exit, never outlives it.
struct Shared {
  Inbox inbox;
  std::mutex log_mutex;
};

// Reads `in` into framed messages until it ends.
void ReadMessages(std::istream& in, std::shared_ptr<Shared> shared, std::ostream& log) {
  Inbox& inbox = shared->inbox;
  std::mutex& log_mutex = shared->log_mutex;
  MessageFramer framer;
  char chunk[4096];
  for (;;) {
    int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    chunk[0] = static_cast<char>(c);
    std::streamsize n = 1 + in.readsome(chunk + 1, sizeof chunk - 1);
    framer.Feed(std::string_view(chunk, static_cast<size_t>(n)));
    std::string body, error;
    for (;;) {
      MessageFramer::Next next = framer.Take(&body, &error);
      if (next == MessageFramer::Next::kNeedMore) break;
      if (next == MessageFramer::Next::kMessage) {
        inbox.Push(std::move(body));
      } else {
        std::lock_guard<std::mutex> lock(log_mutex);
        log << "scenario-compiler lsp: " << error << "\n" << std::flush;
      }
    }
  }
  inbox.Close();
}

}  // namespace

int RunLspCommand(Env& env, std::istream& in, std::ostream& out, std::ostream& log) {
  UseBinaryStandardStreams();
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };

  auto shared = std::make_shared<Shared>();
  Inbox& inbox = shared->inbox;
  std::mutex& log_mutex = shared->log_mutex;
  // The reader blocks on input; it is left running at exit (the process
  // ends with it). `in` and `log` are the process's standard streams.
  std::thread reader(ReadMessages, std::ref(in), shared, std::ref(log));
  reader.detach();

  LspServer server(env);
  std::vector<std::string> outgoing, logged;
  for (;;) {
    std::optional<Clock::time_point> until;
    if (std::optional<double> due = server.NextDue()) {
      until =
          start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*due));
    }
    std::string body;
    bool closed = false;
    if (inbox.Pop(until, &body, &closed)) server.Handle(body, seconds(), &outgoing, &logged);
    server.Tick(seconds(), &outgoing);
    for (const std::string& message : outgoing) out << FrameMessage(message);
    out.flush();
    outgoing.clear();
    {
      std::lock_guard<std::mutex> lock(log_mutex);
      for (const std::string& line : logged) log << "scenario-compiler lsp: " << line << "\n";
      log.flush();
    }
    logged.clear();
    if (server.exit_requested()) return server.exit_status();
    if (closed) return 1;
  }
}

}  // namespace sc
