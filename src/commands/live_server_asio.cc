// The live viewer's server on Boost.Beast and Boost.Asio (header-only, the
// same code for Linux and Windows). One thread runs every connection
// asynchronously, so connections that send half a request and wait, or open
// update streams and keep them, cost a socket each and hold up nobody:
//  - a request must arrive whole within kRequestTime of the connection
//    opening or of the previous answer (an idle keep-alive connection ends
//    the same way), and within the size limits;
//  - at kMaxConnections the oldest connection still waiting for a request
//    is closed to make room; at kMaxStreams the oldest update stream is
//    (its page opens a new one on its own);
//  - an answer that the client does not take within kWriteTime ends the
//    connection.
// Nothing in a request names a file: request_guard.h decides what is served.

// Beast's string views are the standard ones, as request_guard.h takes.
#define BOOST_BEAST_USE_STD_STRING_VIEW
// Boost 1.74's Asio uses std::exchange without including <utility>, which
// g++ 12 in C++20 mode no longer brings in through other headers.
#include <utility>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#if defined(_WIN32)
#include <winsock2.h>
#endif

#include <array>
#include <chrono>
#include <cstdio>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "commands/live_server.h"
#include "commands/request_guard.h"

namespace sc {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;
using namespace std::chrono_literals;

constexpr std::chrono::seconds kRequestTime(5);
constexpr std::chrono::seconds kWriteTime(10);
// After a refusal the connection is closed once the client has had this
// long to read it (closing at once could reset it before it arrives).
constexpr std::chrono::seconds kLingerTime(1);
// An update stream with nothing to say sends a comment this often, so a
// closed page is noticed.
constexpr std::chrono::seconds kQuietTime(15);
constexpr size_t kHeaderLimit = 8 * 1024;
constexpr size_t kBodyLimit = 16 * 1024;
constexpr size_t kMaxConnections = 512;
constexpr size_t kMaxStreams = 64;

class AsioLiveServer;

// One answer on its way out, with what its body points into.
struct Reply {
  std::shared_ptr<const LiveContent> content;
  std::string text;
  http::response<http::span_body<const char>> response;
};

// One client connection: reads requests one after another and answers
// them, or becomes an update stream.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(AsioLiveServer& server, tcp::socket socket);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void Begin() { ReadRequest(); }
  // Closes the socket at once; every pending operation ends.
  void Close();
  // Ends an update stream properly (its last chunk), then closes.
  void End();
  // Waiting for a request, or lingering after a refusal: may be closed to
  // make room.
  bool Idle() const { return state_ == State::kReading || state_ == State::kLingering; }
  bool Streaming() const { return state_ == State::kStreaming; }
  // A stream sends the present notice if it has not yet, else a comment
  // when `quiet`.
  void Flush(bool quiet = false);

 private:
  enum class State { kReading, kAnswering, kLingering, kStreaming, kClosed };

  void ReadRequest();
  void OnRequest(ErrorCode error);
  void AnswerRequest();
  void Refuse(int status, std::string reason, unsigned version = 11);
  void Send(std::shared_ptr<Reply> reply, bool keep_alive);
  void Linger();
  void Drain();
  void OpenStream(bool head);
  void WriteStream();
  void ArmDeadline(std::chrono::steady_clock::duration after);
  void Disarm() { deadline_.expires_at(std::chrono::steady_clock::time_point::max()); }

  AsioLiveServer& server_;
  tcp::socket socket_;
  asio::steady_timer deadline_;
  boost::beast::flat_buffer buffer_{kHeaderLimit + kBodyLimit};
  std::optional<http::request_parser<http::string_body>> parser_;
  std::array<char, 512> scratch_{};
  State state_ = State::kReading;
  std::list<Connection*>::iterator place_;
  // An update stream's state.
  uint64_t sent_version_ = 0;
  bool writing_ = false;
  bool ending_ = false;
  std::string out_;
};

class AsioLiveServer : public LiveServer {
 public:
  AsioLiveServer() : acceptor_(io_), quiet_timer_(io_), retry_timer_(io_) {}
  ~AsioLiveServer() override { Stop(); }

  Status Start(int port, int* bound_port) override {
    ErrorCode error;
    const tcp::endpoint at(asio::ip::address_v4::loopback(), static_cast<uint16_t>(port));
    acceptor_.open(at.protocol(), error);
    if (!error) ReserveAddress(error);
    if (!error) acceptor_.bind(at, error);
    if (!error) acceptor_.listen(asio::socket_base::max_listen_connections, error);
    if (!error) port_ = acceptor_.local_endpoint(error).port();
    if (error) {
      ErrorCode ignored;
      acceptor_.close(ignored);
      return ListenError(port, error);
    }
    *bound_port = port_;
    Accept();
    ArmQuietTimer();
    thread_ = std::thread([this] { io_.run(); });
    return Status::Ok();
  }

  void Publish(LiveContent content) override {
    auto shared = std::make_shared<const LiveContent>(std::move(content));
    asio::post(io_, [this, shared] {
      content_ = shared;
      ++version_;
      for (Connection* c : connections_) {
        if (c->Streaming()) c->Flush();
      }
    });
  }

  void Stop() override {
    if (!thread_.joinable()) return;
    asio::post(io_, [this] {
      stopping_ = true;
      ErrorCode ignored;
      acceptor_.close(ignored);
      quiet_timer_.cancel();
      retry_timer_.cancel();
      // Closing takes a connection off the list: walk a copy.
      const std::list<Connection*> open = connections_;
      for (Connection* c : open) {
        if (c->Streaming()) {
          c->End();
        } else {
          c->Close();
        }
      }
    });
    // run() returns once every connection has ended.
    thread_.join();
  }

  // What connections share; all of it runs on the server's thread.
  asio::io_context& io() { return io_; }
  int port() const { return port_; }
  uint64_t version() const { return version_; }
  std::shared_ptr<const LiveContent> content() {
    if (!content_) content_ = std::make_shared<const LiveContent>();
    return content_;
  }

  std::list<Connection*>::iterator Register(Connection* c) {
    return connections_.insert(connections_.end(), c);
  }
  void Forget(std::list<Connection*>::iterator place, bool was_stream) {
    connections_.erase(place);
    if (was_stream) --streams_;
  }
  // Makes room for one more stream by ending the oldest when at the limit.
  void CountStream() {
    if (streams_ >= kMaxStreams) {
      for (Connection* c : connections_) {
        if (c->Streaming()) {
          c->Close();
          break;
        }
      }
    }
    ++streams_;
  }

 private:
  // Lets a new server take the port at once after this one stopped, but
  // never share it with one that runs: on POSIX SO_REUSEADDR without
  // SO_REUSEPORT; on Windows, where SO_REUSEADDR would let a second server
  // take the port over, SO_EXCLUSIVEADDRUSE.
  void ReserveAddress(ErrorCode& error) {
#if defined(_WIN32)
    BOOL yes = TRUE;
    if (::setsockopt(acceptor_.native_handle(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                     reinterpret_cast<const char*>(&yes), sizeof yes) != 0) {
      error = ErrorCode(::WSAGetLastError(), asio::error::get_system_category());
    }
#else
    acceptor_.set_option(tcp::acceptor::reuse_address(true), error);
#endif
  }

  static Status ListenError(int port, const ErrorCode& error) {
    const std::string address =
        "127.0.0.1" + (port == 0 ? std::string(" (a free port)") : ":" + std::to_string(port));
    if (error == asio::error::address_in_use || error == asio::error::access_denied) {
      return Status::IoError(
          "cannot listen on " + address +
          ": the port is in use (another view --serve?); choose another with --port N");
    }
    return Status::IoError("cannot listen on " + address + ": " + error.message());
  }

  void Accept() {
    acceptor_.async_accept([this](ErrorCode error, tcp::socket socket) {
      if (stopping_) return;
      if (error) {
        // Out of descriptors, say: try again shortly rather than spin.
        retry_timer_.expires_after(100ms);
        retry_timer_.async_wait([this](ErrorCode e) {
          if (!e && !stopping_) Accept();
        });
        return;
      }
      MakeRoom();
      std::make_shared<Connection>(*this, std::move(socket))->Begin();
      Accept();
    });
  }

  void MakeRoom() {
    if (connections_.size() < kMaxConnections) return;
    for (Connection* c : connections_) {
      if (c->Idle()) {
        c->Close();
        return;
      }
    }
  }

  void ArmQuietTimer() {
    quiet_timer_.expires_after(kQuietTime);
    quiet_timer_.async_wait([this](ErrorCode error) {
      if (error || stopping_) return;
      for (Connection* c : connections_) {
        if (c->Streaming()) c->Flush(true);
      }
      ArmQuietTimer();
    });
  }

  // Declared before the io_context: connections still held by its pending
  // handlers when it goes take themselves off this list.
  std::list<Connection*> connections_;
  size_t streams_ = 0;
  std::shared_ptr<const LiveContent> content_;
  uint64_t version_ = 0;
  bool stopping_ = false;
  int port_ = 0;

  asio::io_context io_{1};
  tcp::acceptor acceptor_;
  asio::steady_timer quiet_timer_;
  asio::steady_timer retry_timer_;
  std::thread thread_;
};

Connection::Connection(AsioLiveServer& server, tcp::socket socket)
    : server_(server), socket_(std::move(socket)), deadline_(server.io()) {
  place_ = server_.Register(this);
  ErrorCode ignored;
  socket_.set_option(tcp::no_delay(true), ignored);
}

Connection::~Connection() {
  if (state_ != State::kClosed) server_.Forget(place_, state_ == State::kStreaming);
}

void Connection::Close() {
  if (state_ == State::kClosed) return;
  server_.Forget(place_, state_ == State::kStreaming);
  state_ = State::kClosed;
  ErrorCode ignored;
  socket_.close(ignored);
  deadline_.cancel();
}

void Connection::ArmDeadline(std::chrono::steady_clock::duration after) {
  deadline_.expires_after(after);
  deadline_.async_wait([self = shared_from_this()](ErrorCode error) {
    // A wait that had already ended when the deadline was moved is stale.
    if (!error && self->deadline_.expiry() <= std::chrono::steady_clock::now()) self->Close();
  });
}

void Connection::ReadRequest() {
  state_ = State::kReading;
  parser_.emplace();
  parser_->header_limit(kHeaderLimit);
  parser_->body_limit(kBodyLimit);
  ArmDeadline(kRequestTime);
  http::async_read(
      socket_, buffer_, *parser_,
      [self = shared_from_this()](ErrorCode error, size_t) { self->OnRequest(error); });
}

void Connection::OnRequest(ErrorCode error) {
  if (state_ == State::kClosed) return;
  Disarm();
  const ErrorCode parse_error = http::error::bad_target;
  if (!error) return AnswerRequest();
  if (error == http::error::end_of_stream || error == http::error::partial_message ||
      error.category() != parse_error.category()) {
    return Close();  // the client went, or the time ran out
  }
  if (error == http::error::header_limit) {
    // The parser takes the request line as soon as it ends (and the buffer
    // drops it then): a target it holds, or a line end still in the buffer,
    // means the request line was whole and the header fields are too large.
    const auto* bytes = static_cast<const char*>(buffer_.data().data());
    const bool line_ended =
        !parser_->get().target().empty() ||
        std::string_view(bytes, buffer_.size()).find('\n') != std::string_view::npos;
    return line_ended ? Refuse(431, "request header too large")
                      : Refuse(414, "request target too long");
  }
  if (error == http::error::body_limit || error == http::error::buffer_overflow) {
    return Refuse(413, "request too large");
  }
  Refuse(400, "malformed request");
}

void Connection::AnswerRequest() {
  const http::request<http::string_body>& request = parser_->get();
  const unsigned version = request.version();
  const size_t hosts = request.count(http::field::host);
  if (hosts > 1) return Refuse(400, "more than one Host header", version);
  std::string path;
  if (!DecodeTargetPath(request.target(), &path)) return Refuse(400, "malformed path", version);
  const RequestVerdict verdict =
      CheckRequest(request.method_string(), path, hosts == 1,
                   hosts == 1 ? std::string_view(request[http::field::host]) : std::string_view(),
                   server_.port());
  if (verdict.status != 200) return Refuse(verdict.status, verdict.reason, version);
  const bool head = request.method() == http::verb::head;
  if (verdict.resource == LiveResource::kEvents) return OpenStream(head);

  auto reply = std::make_shared<Reply>();
  reply->content = server_.content();
  if (verdict.resource == LiveResource::kFailedData && reply->content->failed_data.empty()) {
    return Refuse(404, "no failed save to show", version);
  }
  const std::string& body = verdict.resource == LiveResource::kPage   ? reply->content->page
                            : verdict.resource == LiveResource::kData ? reply->content->data
                                                                      : reply->content->failed_data;
  http::response<http::span_body<const char>>& response = reply->response;
  response.version(version);
  response.result(http::status::ok);
  response.set(http::field::content_type, verdict.resource == LiveResource::kPage
                                              ? "text/html; charset=utf-8"
                                              : "application/json");
  response.content_length(body.size());
  if (!head) response.body() = {body.data(), body.size()};
  Send(reply, request.keep_alive());
}

void Connection::Refuse(int status, std::string reason, unsigned version) {
  auto reply = std::make_shared<Reply>();
  reply->text = std::move(reason) + "\n";
  http::response<http::span_body<const char>>& response = reply->response;
  response.version(version);
  response.result(static_cast<unsigned>(status));
  response.set(http::field::content_type, "text/plain");
  response.content_length(reply->text.size());
  response.body() = {reply->text.data(), reply->text.size()};
  Send(reply, false);
}

void Connection::Send(std::shared_ptr<Reply> reply, bool keep_alive) {
  state_ = State::kAnswering;
  http::response<http::span_body<const char>>& response = reply->response;
  response.set(http::field::cache_control, "no-store");
  response.set("X-Content-Type-Options", "nosniff");
  response.keep_alive(keep_alive);
  ArmDeadline(kWriteTime);
  http::async_write(socket_, response,
                    [self = shared_from_this(), reply, keep_alive](ErrorCode error, size_t) {
                      if (self->state_ == State::kClosed) return;
                      self->Disarm();
                      if (error) return self->Close();
                      if (keep_alive) return self->ReadRequest();
                      self->Linger();
                    });
}

// Says it sends no more, then reads (and drops) what the client still
// sends until it closes or the time is up.
void Connection::Linger() {
  state_ = State::kLingering;
  ErrorCode ignored;
  socket_.shutdown(tcp::socket::shutdown_send, ignored);
  ArmDeadline(kLingerTime);
  Drain();
}

// Reads and drops what the client sends until it closes (or the socket is
// closed here). A page sends nothing on its update stream, so there this
// read ends only when the page goes.
void Connection::Drain() {
  socket_.async_read_some(asio::buffer(scratch_),
                          [self = shared_from_this()](ErrorCode error, size_t) {
                            if (self->state_ == State::kClosed) return;
                            if (error) return self->Close();
                            self->Drain();
                          });
}

void Connection::OpenStream(bool head) {
  server_.CountStream();
  state_ = State::kStreaming;
  out_ =
      "HTTP/1.1 200 OK\r\n"
      "Content-Type: text/event-stream\r\n"
      "Cache-Control: no-store\r\n"
      "X-Content-Type-Options: nosniff\r\n"
      "Connection: close\r\n"
      "Transfer-Encoding: chunked\r\n\r\n";
  // A HEAD request gets the stream's header and nothing after it: the
  // connection closes once it is sent.
  if (head) ending_ = true;
  WriteStream();
  if (!head) Drain();
}

void Connection::End() {
  ending_ = true;
  if (!writing_) Flush();
}

void Connection::Flush(bool quiet) {
  if (state_ != State::kStreaming || writing_) return;
  std::string event;
  if (sent_version_ != server_.version()) {
    sent_version_ = server_.version();
    event = "data: " + server_.content()->notice + "\n\n";
  } else if (quiet) {
    event = ": waiting for changes\n\n";
  }
  out_.clear();
  if (!event.empty()) {
    char size[20];
    std::snprintf(size, sizeof size, "%zx\r\n", event.size());
    out_ = size + event + "\r\n";
  }
  if (ending_) out_ += "0\r\n\r\n";
  if (!out_.empty()) WriteStream();
}

// Writes out_; once it is gone, what came meanwhile, or the end.
void Connection::WriteStream() {
  writing_ = true;
  const bool last = ending_;
  ArmDeadline(kWriteTime);
  asio::async_write(socket_, asio::buffer(out_),
                    [self = shared_from_this(), last](ErrorCode error, size_t) {
                      if (self->state_ == State::kClosed) return;
                      self->writing_ = false;
                      self->Disarm();
                      if (error || last) return self->Close();
                      self->Flush();
                    });
}

}  // namespace

std::unique_ptr<LiveServer> NewLiveServer() { return std::make_unique<AsioLiveServer>(); }

}  // namespace sc
