#include "commands/lsp_command.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "commands/json_rpc.h"
#include "commands/lsp_server.h"
#include "platform/binary_streams.h"

namespace sc {
namespace {

constexpr const char* kLogPrefix = "scenario-compiler lsp: ";

// The server between the thread that reads the messages and the one that
// runs the checks when they fall due; everything it writes goes out under
// one lock, so messages never interleave.
class Session {
 public:
  Session(Env& env, std::ostream& out, std::ostream& log)
      : server_(env), out_(out), log_(log), start_(Clock::now()) {}

  // Handles one message body, runs the checks due, and sends the answers.
  void Handle(const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    server_.Handle(body, Seconds(), &outgoing_, &logged_);
    server_.Tick(Seconds(), &outgoing_);
    Send();
    changed_.notify_one();
  }

  void LogFraming(const std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    log_ << kLogPrefix << error << "\n" << std::flush;
  }

  // The exit status once "exit" came; none before.
  std::optional<int> ExitStatus() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!server_.exit_requested()) return std::nullopt;
    return server_.exit_status();
  }

  // Runs the checks as they fall due, until Stop.
  void RunChecks() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopped_) {
      if (std::optional<double> due = server_.NextDue()) {
        changed_.wait_until(lock, start_ + std::chrono::duration_cast<Clock::duration>(
                                               std::chrono::duration<double>(*due)));
      } else {
        changed_.wait(lock);
      }
      if (stopped_) break;
      server_.Tick(Seconds(), &outgoing_);
      Send();
    }
  }

  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_one();
  }

 private:
  using Clock = std::chrono::steady_clock;

  double Seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

  // Writes what the server produced; the lock is held.
  void Send() {
    if (!outgoing_.empty()) {
      for (const std::string& message : outgoing_) out_ << FrameMessage(message);
      out_.flush();
      outgoing_.clear();
    }
    if (!logged_.empty()) {
      for (const std::string& line : logged_) log_ << kLogPrefix << line << "\n";
      log_.flush();
      logged_.clear();
    }
  }

  LspServer server_;
  std::ostream& out_;
  std::ostream& log_;
  const Clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopped_ = false;
  std::vector<std::string> outgoing_, logged_;
};

// Reads `in` into framed messages for `session` until it ends (1) or "exit"
// comes (the server's status).
int Serve(std::istream& in, Session& session) {
  MessageFramer framer;
  char chunk[4096];
  for (;;) {
    int c = in.get();
    if (c == std::char_traits<char>::eof()) return 1;
    chunk[0] = static_cast<char>(c);
    std::streamsize n = 1 + in.readsome(chunk + 1, sizeof chunk - 1);
    framer.Feed(std::string_view(chunk, static_cast<size_t>(n)));
    std::string body, error;
    for (;;) {
      MessageFramer::Next next = framer.Take(&body, &error);
      if (next == MessageFramer::Next::kNeedMore) break;
      if (next == MessageFramer::Next::kMessage) {
        session.Handle(body);
        if (std::optional<int> status = session.ExitStatus()) return *status;
      } else {
        session.LogFraming(error);
      }
    }
  }
}

}  // namespace

int RunLspCommand(Env& env, std::istream& in, std::ostream& out, std::ostream& log) {
  UseBinaryStandardStreams();
  Session session(env, out, log);
  std::thread checks(&Session::RunChecks, &session);
  const int status = Serve(in, session);
  session.Stop();
  checks.join();
  return status;
}

}  // namespace sc
