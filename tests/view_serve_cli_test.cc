// view --serve spoken to without a browser, over plain sockets: requests it
// must refuse (a path with "..", a very long URL, another Host, garbage, a
// client that sends half a request and waits) get their 4xx or are dropped,
// and the server goes on answering the page, also while hundreds of
// half-open connections and dozens of update streams are held open. A second
// server on the same port fails with status 1; an interrupt stops the first
// with status 0.
//
// SC_SERVE_PROGRAM runs these against another build of the program (the
// Windows .exe, with SC_SERVE_EMULATOR=wine) instead of this one.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"
#include "run/output_lock.h"
#include "test_support.h"

namespace sc::testing {
namespace {

using Clock = std::chrono::steady_clock;

// `view --serve` on the built-in scenario's files, as argv, with `extra`.
std::vector<std::string> ServeCommand(const std::vector<std::string>& extra = {}) {
  std::vector<std::string> argv;
  const char* emulator = std::getenv("SC_SERVE_EMULATOR");
  const char* program = std::getenv("SC_SERVE_PROGRAM");
  if (emulator && *emulator) argv.push_back(emulator);
  argv.push_back(program && *program ? program : SC_PROGRAM);
  for (const char* arg : {"view", "Vastro - Dreo_linea.txt", "Vastro - Dreo_2001-.txt", "--serve"}) {
    argv.push_back(arg);
  }
  argv.insert(argv.end(), extra.begin(), extra.end());
  return argv;
}

// The program started in `dir` with its standard output and error on pipes.
class Server {
 public:
  explicit Server(const std::string& dir, const std::vector<std::string>& extra = {}) {
    const std::vector<std::string> argv = ServeCommand(extra);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(pipe_fds[1], 1);
      ::dup2(pipe_fds[1], 2);
      ::close(pipe_fds[0]);
      ::close(pipe_fds[1]);
      if (::chdir(dir.c_str()) != 0) ::_exit(127);
      ::execvp(args[0], args.data());
      ::_exit(127);
    }
    ::close(pipe_fds[1]);
    out_ = pipe_fds[0];
  }
  ~Server() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
  }

  // What the program wrote to standard output until `pattern` matched
  // (empty after 10 s without it).
  std::string ReadUntil(const std::regex& pattern) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!std::regex_search(output_, pattern) && Clock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char buffer[512];
      ssize_t n = ::read(out_, buffer, sizeof buffer);
      if (n <= 0) break;
      output_.append(buffer, static_cast<size_t>(n));
    }
    return std::regex_search(output_, pattern) ? output_ : std::string();
  }

  // The port it serves on, from the address it prints; 0 when it prints none.
  int Port() {
    std::smatch m;
    std::string out = ReadUntil(std::regex("serving http://127\\.0\\.0\\.1:(\\d+)/ "));
    return std::regex_search(out, m, std::regex("127\\.0\\.0\\.1:(\\d+)/")) ? std::stoi(m[1]) : 0;
  }

  // Interrupts it and returns its exit status.
  int Interrupt() {
    ::kill(pid_, SIGINT);
    return Wait();
  }

  // Waits for it to end (10 s at most) and returns its exit status.
  int Wait() {
    int raw = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (::waitpid(pid_, &raw, WNOHANG) == 0) {
      if (Clock::now() > deadline) return -1;
      ::usleep(20000);
    }
    pid_ = -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string output_;
};

int Connect(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Everything the server sends on `fd` until it closes or `seconds` pass
// (or, given `until`, that text arrived).
std::string ReadAll(int fd, int seconds, const std::string& until = "") {
  std::string reply;
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < deadline &&
         (until.empty() || reply.find(until) == std::string::npos)) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buffer[4096];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    reply.append(buffer, static_cast<size_t>(n));
  }
  return reply;
}

// Sends `request` on a fresh connection and returns the status line.
std::string Ask(int port, const std::string& request) {
  int fd = Connect(port);
  if (fd < 0) return "no connection";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string reply = ReadAll(fd, 10);
  ::close(fd);
  return reply.substr(0, reply.find("\r\n"));
}

std::string Get(const std::string& target, const std::string& host) {
  return "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
}

// The built-in scenario's two files in a temporary folder, served.
class ViewServeCli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunProgram("emit --out " + ShellQuote(dir_.path())).exit_status, 0);
    server_ = std::make_unique<Server>(dir_.path());
    port_ = server_->Port();
    ASSERT_GT(port_, 0);
    host_ = "127.0.0.1:" + std::to_string(port_);
  }

  TempFolder dir_;
  std::unique_ptr<Server> server_;
  int port_ = 0;
  std::string host_;
};

TEST_F(ViewServeCli, RefusesWhatItMustAndKeepsServing) {

  // Half a request, left hanging: it must not hold up the others.
  int slow = Connect(port_);
  ASSERT_GE(slow, 0);
  const std::string half = "GET / HTTP/1.1\r\nHost: 127.0";
  ::send(slow, half.data(), half.size(), MSG_NOSIGNAL);

  const struct {
    const char* what;
    std::string request;
    const char* status;
  } cases[] = {
      {"the page", Get("/", host_), "HTTP/1.1 200 OK"},
      {"the page by name", Get("/", "localhost:" + std::to_string(port_)), "HTTP/1.1 200 OK"},
      {"the data", Get("/data", host_), "HTTP/1.1 200 OK"},
      {"a path with ..", Get("/../../etc/passwd", host_), "HTTP/1.1 400 Bad Request"},
      {"an encoded ..", Get("/%2e%2e/%2e%2e/etc/passwd", host_), "HTTP/1.1 400 Bad Request"},
      {"a file beside the inputs", Get("/Vastro%20-%20Dreo_linea.txt", host_),
       "HTTP/1.1 404 Not Found"},
      {"a very long URL", Get("/" + std::string(20000, 'a'), host_), "HTTP/1.1 414 URI Too Long"},
      {"a very long header field",
       "GET / HTTP/1.1\r\nHost: " + host_ + "\r\nX-Long: " + std::string(12000, 'a') +
           "\r\nConnection: close\r\n\r\n",
       "HTTP/1.1 431 Request Header Fields Too Large"},
      {"a very long first header field",
       "GET / HTTP/1.1\r\nX-Long: " + std::string(12000, 'a') + "\r\nHost: " + host_ +
           "\r\nConnection: close\r\n\r\n",
       "HTTP/1.1 431 Request Header Fields Too Large"},
      {"another Host", Get("/data", "attacker.example:" + std::to_string(port_)),
       "HTTP/1.1 403 Forbidden"},
      {"no Host", "GET /data HTTP/1.1\r\nConnection: close\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {"another method",
       "POST /data HTTP/1.1\r\nHost: " + host_ +
           "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
       "HTTP/1.1 405 Method Not Allowed"},
      {"garbage", "\x16\x03\x01 hello there\r\n\r\n", "HTTP/1.1 400 Bad Request"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Ask(port_, c.request), c.status);
  }

  // The half request is dropped once the read times out, never answered 200.
  std::string dropped = ReadAll(slow, 15);
  ::close(slow);
  EXPECT_EQ(dropped.find("200 OK"), std::string::npos) << dropped;
  EXPECT_EQ(Ask(port_, Get("/", host_)), "HTTP/1.1 200 OK");

  // A second server on the same port.
  Server second(dir_.path(), {"--port", std::to_string(port_)});
  EXPECT_EQ(second.Wait(), 1);
  const std::string refusal = second.ReadUntil(std::regex("cannot listen on " + host_ +
                                                          ": the port is in use"));
  EXPECT_NE(refusal, "");
  EXPECT_EQ(Ask(port_, Get("/", host_)), "HTTP/1.1 200 OK");

  EXPECT_EQ(server_->Interrupt(), 0);
  EXPECT_NE(server_->ReadUntil(std::regex("stopped\r?\n")), "");
  EXPECT_EQ(Ask(port_, Get("/", host_)), "no connection");
}

// A HEAD request, of the page or of the update stream, gets the header that
// a GET would and no byte of a body.
TEST_F(ViewServeCli, HeadGetsTheHeaderAlone) {
  for (const char* target : {"/", "/data", "/events"}) {
    SCOPED_TRACE(target);
    int fd = Connect(port_);
    ASSERT_GE(fd, 0);
    const std::string request = std::string("HEAD ") + target + " HTTP/1.1\r\nHost: " + host_ +
                                "\r\nConnection: close\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    const std::string reply = ReadAll(fd, 10);
    ::close(fd);
    EXPECT_EQ(reply.substr(0, reply.find("\r\n")), "HTTP/1.1 200 OK");
    EXPECT_EQ(reply.find("\r\n\r\n") + 4, reply.size()) << reply;
  }
}

// Reads from `fd` until `text` arrived; false after `seconds` without it.
bool ReadUntilText(int fd, const std::string& text, int seconds) {
  return ReadAll(fd, seconds, text).find(text) != std::string::npos;
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Connections that send a request line and one header and then wait, and
// open update streams, hold up nobody: with 200 and 50 of them the page, its
// data and a new stream still answer. The times are printed (a bound in
// milliseconds would make the test fail on a busy machine, not on a fault).
TEST_F(ViewServeCli, AnswersWhileManyConnectionsHang) {

  std::vector<int> held;
  const std::string half = "GET / HTTP/1.1\r\nHost: " + host_ + "\r\n";
  for (int i = 0; i < 200; ++i) {
    int fd = Connect(port_);
    ASSERT_GE(fd, 0) << "half-open connection " << i;
    ::send(fd, half.data(), half.size(), MSG_NOSIGNAL);
    held.push_back(fd);
  }
  const std::string stream = Get("/events", host_);
  int streams = 0;
  for (int i = 0; i < 50; ++i) {
    int fd = Connect(port_);
    ASSERT_GE(fd, 0) << "stream " << i;
    ::send(fd, stream.data(), stream.size(), MSG_NOSIGNAL);
    held.push_back(fd);
    streams += ReadUntilText(fd, "data: ", 10);
  }
  EXPECT_EQ(streams, 50);

  auto start = Clock::now();
  EXPECT_EQ(Ask(port_, Get("/", host_)), "HTTP/1.1 200 OK");
  const double page_ms = MillisecondsSince(start);
  start = Clock::now();
  EXPECT_EQ(Ask(port_, Get("/data", host_)), "HTTP/1.1 200 OK");
  const double data_ms = MillisecondsSince(start);
  start = Clock::now();
  int fd = Connect(port_);
  ::send(fd, stream.data(), stream.size(), MSG_NOSIGNAL);
  EXPECT_TRUE(ReadUntilText(fd, "data: ", 10));
  const double stream_ms = MillisecondsSince(start);
  ::close(fd);
  std::cout << "with 200 half-open connections and 50 streams: page " << page_ms << " ms, data "
            << data_ms << " ms, new stream " << stream_ms << " ms\n";

  for (int h : held) ::close(h);
  EXPECT_EQ(server_->Interrupt(), 0);
}

// A stream the page closes no longer counts: after more streams than the
// limit have come and gone, two pages open at once keep both their streams.
TEST_F(ViewServeCli, ClosedStreamsLeaveRoomForNewOnes) {
  const std::string stream = Get("/events", host_);
  for (int i = 0; i < 80; ++i) {
    int fd = Connect(port_);
    ASSERT_GE(fd, 0) << "stream " << i;
    ::send(fd, stream.data(), stream.size(), MSG_NOSIGNAL);
    EXPECT_TRUE(ReadUntilText(fd, "data: ", 10)) << "stream " << i;
    ::close(fd);
  }
  ::usleep(300000);  // the server sees the last ones go
  int first = Connect(port_);
  ::send(first, stream.data(), stream.size(), MSG_NOSIGNAL);
  ASSERT_TRUE(ReadUntilText(first, "data: ", 10));
  int second = Connect(port_);
  ::send(second, stream.data(), stream.size(), MSG_NOSIGNAL);
  ASSERT_TRUE(ReadUntilText(second, "data: ", 10));
  // The first stream is still open: nothing ends it within a second.
  pollfd p{first, POLLIN, 0};
  char byte;
  const bool ended = ::poll(&p, 1, 1000) > 0 && ::recv(first, &byte, 1, MSG_PEEK) <= 0;
  EXPECT_FALSE(ended);
  ::close(first);
  ::close(second);
}

TEST(ViewServeOptions, GoTogether) {
  TempFolder dir;
  ASSERT_EQ(RunProgram("emit --out " + ShellQuote(dir.path())).exit_status, 0);
  const std::string files = "view 'Vastro - Dreo_linea.txt' 'Vastro - Dreo_2001-.txt' ";
  for (const char* args : {"--port 8000", "--write", "--serve --out .", "--serve -o x.html",
                           "--serve --port 0", "--serve --port 70000"}) {
    SCOPED_TRACE(args);
    ProgramRun run = RunProgram(files + args, dir.path());
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("Run 'scenario-compiler --help' for usage."), std::string::npos)
        << run.err;
  }
}

TEST(ViewServeCliWrite, LeavesExactlyTheCompiledFilesBesideTheInputs) {
  TempFolder dir;
  ASSERT_EQ(RunProgram("emit --out " + ShellQuote(dir.path())).exit_status, 0);
  {
    Server server(dir.path(), {"--write"});
    ASSERT_NE(server.ReadUntil(std::regex("wrote the compiled files into")), "");
    EXPECT_EQ(server.Interrupt(), 0);
  }
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    names.insert(e.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"Vastro - Dreo_2001-.txt", "Vastro - Dreo_2001_note.txt",
                                          "Vastro - Dreo_2001_rallentamenti.txt",
                                          "Vastro - Dreo_2001_scheda_treno.txt",
                                          "Vastro - Dreo_linea.txt", "Vastro - Dreo_linea.dat",
                                          "Vastro - Dreo_2001.sim", "Vastro - Dreo_2001.dat"}));
}

// Ctrl-C while it waits for another run's lock stops it then, and it writes
// nothing, neither at once nor once the lock is free.
TEST(ViewServeCliWrite, AnInterruptWhileWaitingForTheLockStopsAndWritesNothing) {
  // The lock is held by this process with the host's own locks, which a
  // program run under an emulator (the .exe under wine) does not see.
  const char* emulator = std::getenv("SC_SERVE_EMULATOR");
  if (emulator && *emulator) GTEST_SKIP() << "the lock it holds is not seen under " << emulator;
  TempFolder dir;
  ASSERT_EQ(RunProgram("emit --out " + ShellQuote(dir.path())).exit_status, 0);
  std::unique_ptr<FileLock> held;
  bool busy = false;
  ASSERT_TRUE(Env::Default()->TryLockFile(dir.File(kLockFileName), &held, &busy).ok());
  ASSERT_FALSE(busy);
  {
    Server server(dir.path(), {"--write"});
    ASSERT_NE(server.ReadUntil(std::regex("waiting for it")), "");
    EXPECT_EQ(server.Interrupt(), 0);
  }
  held.reset();
  EXPECT_FALSE(PathExists(dir.File("Vastro - Dreo_2001.sim")));
  EXPECT_FALSE(PathExists(dir.File(kLockFileName)));
}

}  // namespace
}  // namespace sc::testing
