#include "commands/view_serve.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

// `text` with the first `from` replaced by `to`; unchanged when not found.
std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The part of `text` from `begin` up to the next `end`; "" when not found.
std::string Between(const std::string& text, const std::string& begin, const std::string& end) {
  const size_t from = text.find(begin);
  if (from == std::string::npos) return "";
  const size_t to = text.find(end, from);
  return to == std::string::npos ? "" : text.substr(from, to - from);
}

// Records what would be served instead of serving it.
class FakeServer : public LiveServer {
 public:
  Status Start(int port, int* bound_port) override {
    if (refuse) return Status::IoError("cannot listen on 127.0.0.1:" + std::to_string(port));
    *bound_port = port == 0 ? 4321 : port;
    started = true;
    return Status::Ok();
  }
  void Publish(LiveContent content) override { published.push_back(std::move(content)); }
  void Stop() override { stopped = true; }

  bool refuse = false;
  bool started = false;
  bool stopped = false;
  std::vector<LiveContent> published;
};

class ViewServeTest : public ::testing::Test {
 protected:
  ViewServeTest() {
    const testing::ScenarioTextFiles files = testing::PutBuiltInDocuments(env_, "in");
    options_.line_file = files.line_file;
    options_.train_file = files.train_file;
    options_.serve = true;
    env_.folders.insert("in");
    original_ = env_.files[options_.train_file];
  }

  // Runs the server; at each wait, the next step changes the files (a step
  // returning true stops it; after the last step it stops).
  int Serve(std::vector<std::function<bool()>> steps) {
    size_t next = 0;
    env_.on_wait = [&] { return next == steps.size() || steps[next++](); };
    return ServeView(env_, options_, server_, out_, err_);
  }

  // A save of the train file: new bytes and a new time.
  std::function<bool()> SaveTrain(std::string text) {
    return [this, text] {
      env_.files[options_.train_file] = text;
      env_.modified_times[options_.train_file] = ++clock_;
      return false;
    };
  }
  std::function<bool()> Quiet() {
    return [] { return false; };
  }

  std::string Notice(size_t i) const { return server_.published.at(i).notice; }

  MemEnv env_;
  ViewOptions options_;
  FakeServer server_;
  std::ostringstream out_, err_;
  std::string original_;
  int64_t clock_ = 0;
};

TEST_F(ViewServeTest, ServesTheCompiledPageAndStopsOnRequest) {
  ASSERT_EQ(Serve({}), 0) << err_.str();
  EXPECT_TRUE(server_.stopped);
  EXPECT_EQ(out_.str(), "serving http://127.0.0.1:4321/ (Ctrl-C stops)\nstopped\n");
  ASSERT_EQ(server_.published.size(), 1u);
  const LiveContent& first = server_.published[0];
  EXPECT_EQ(
      first.notice,
      R"({"errors":0,"message":"Compiled, no warnings","state":"ok","version":1,"warnings":0,"withFailedResult":false})");
  EXPECT_NE(first.data.find("\"records\":[{"), std::string::npos);
  // The page carries the data and the live script.
  EXPECT_NE(first.page.find(first.data), std::string::npos);
  EXPECT_NE(first.page.find("new EventSource(\"/events\")"), std::string::npos);
  // Nothing written without --write.
  EXPECT_TRUE(env_.commits.empty());
}

TEST_F(ViewServeTest, RecompilesOnEachSaveAndOnlyThen) {
  std::string misspelt = original_;
  misspelt.replace(misspelt.find("segnale,    6400"), 7, "segnalle");
  std::string moved = original_;
  moved.replace(moved.find("segnale,    6400"), 16, "segnale,    6900");
  ASSERT_EQ(Serve({Quiet(), SaveTrain(misspelt), Quiet(), SaveTrain(moved)}), 0) << err_.str();
  ASSERT_EQ(server_.published.size(), 3u);
  EXPECT_NE(
      Notice(1).find(R"("message":"Compiled, 1 warning","state":"ok","version":2,"warnings":1)"),
      std::string::npos);
  EXPECT_NE(server_.published[1].data.find("'segnalle' is not a record keyword"),
            std::string::npos);
  EXPECT_NE(Notice(2).find(R"("state":"ok","version":3,"warnings":0)"), std::string::npos);
  EXPECT_NE(err_.str().find("segnalle"), std::string::npos);  // the terminal hears it too
}

TEST_F(ViewServeTest, ASaveThatDoesNotCompileKeepsTheLastPictureUntilTheNextSave) {
  std::string half = original_.substr(0, original_.size() / 2);
  ASSERT_EQ(Serve({[this] {
                     env_.files.erase(options_.train_file);  // being replaced
                     return false;
                   },
                   SaveTrain(half), SaveTrain(original_)}),
            0);
  ASSERT_EQ(server_.published.size(), 4u);
  const LiveContent& gone = server_.published[1];
  EXPECT_NE(gone.notice.find(R"("state":"stale")"), std::string::npos);
  EXPECT_NE(gone.data.find("No such file or directory"), std::string::npos);
  // The last good picture, without the records of texts it no longer has.
  EXPECT_NE(gone.data.find("Castelletto"), std::string::npos);
  EXPECT_NE(gone.data.find("\"records\":null"), std::string::npos);
  // An object's missing record is put down to the failed save, not to
  // compiled files the page was never made from.
  EXPECT_NE(gone.data.find("this save did not compile"), std::string::npos);
  EXPECT_EQ(gone.data.find("made from compiled files"), std::string::npos);
  EXPECT_NE(Notice(3).find(R"("errors":0,"message":"Compiled, no warnings","state":"ok")"),
            std::string::npos);
}

// A save whose check fails still builds a picture, but a partial one (the
// signals after the fault gone): the page keeps the last good picture with
// this save's error, and hands out the partial one only on request.
TEST_F(ViewServeTest, ASaveWhoseCheckFailsKeepsTheLastGoodPictureAndOffersItsOwn) {
  const std::string failing = ReplaceOnce(original_, "segnale,    5050,", "segnale,    2810,");
  ASSERT_NE(failing, original_);
  ASSERT_EQ(Serve({SaveTrain(failing), SaveTrain(original_)}), 0);
  ASSERT_EQ(server_.published.size(), 3u);
  const LiveContent& failed = server_.published[1];
  EXPECT_NE(failed.notice.find(R"("withFailedResult":true)"), std::string::npos);
  EXPECT_NE(
      failed.notice.find(
          R"("message":"This save's check failed: the picture is the last good one","state":"stale")"),
      std::string::npos);
  EXPECT_NE(failed.data.find("the signal's cell is already taken"), std::string::npos);
  EXPECT_NE(failed.data.find("\"records\":null"), std::string::npos);
  // The good picture is the first one, the failed data this save's own.
  EXPECT_EQ(Between(failed.data, "\"cells\":", "\"values\""),
            Between(server_.published[0].data, "\"cells\":", "\"values\""));
  EXPECT_NE(Between(failed.failed_data, "\"cells\":", "\"values\""),
            Between(failed.data, "\"cells\":", "\"values\""));
  EXPECT_NE(failed.failed_data.find("the signal's cell is already taken"), std::string::npos);
  // The next clean save: nothing failed to offer.
  EXPECT_TRUE(server_.published[2].failed_data.empty());
  EXPECT_NE(Notice(2).find(R"("withFailedResult":false)"), std::string::npos);
}

TEST_F(ViewServeTest, AScenarioWithoutAPictureFromTheStartShowsItsErrorUntilFixed) {
  const std::string line = env_.files[options_.line_file];
  env_.files[options_.line_file] = "[generale]\r\n[fine]\r\n";  // no route length: no grid
  ASSERT_EQ(Serve({[&] {
              env_.files[options_.line_file] = line;
              env_.modified_times[options_.line_file] = 1;
              return false;
            }}),
            0);
  ASSERT_EQ(server_.published.size(), 2u);
  const LiveContent& empty = server_.published[0];
  EXPECT_NE(empty.notice.find(R"("errors":1,"message":"This save has an error","state":"failed")"),
            std::string::npos);
  EXPECT_NE(empty.data.find("\"routeLength\":0"), std::string::npos);
  EXPECT_NE(empty.data.find("no route length"), std::string::npos);
  EXPECT_NE(Notice(1).find(R"("state":"ok")"), std::string::npos);
}

TEST_F(ViewServeTest, WriteWritesTheCompiledFilesAfterEachCleanCompileOnly) {
  options_.write = true;
  options_.out_dir = "out";
  ASSERT_EQ(Serve({[this] {
                     env_.files.erase(options_.train_file);
                     return false;
                   },
                   SaveTrain(original_)}),
            0)
      << err_.str();
  EXPECT_EQ(server_.published.size(), 3u);
  // Two clean compiles, three files each; nothing for the failed one.
  EXPECT_EQ(env_.commits.size(), 6u);
  EXPECT_EQ(env_.files.count(JoinPath("out", "Vastro - Dreo_2001.dat")), 1u);
  // The missing folder was made, and the files' folder is named in full.
  EXPECT_NE(err_.str().find("created folder out\n"), std::string::npos) << err_.str();
  EXPECT_NE(out_.str().find("wrote the compiled files into /work/out\n"), std::string::npos);
}

TEST_F(ViewServeTest, FailsAtTheStartWithStatusOne) {
  {
    SCOPED_TRACE("the port is taken");
    server_.refuse = true;
    EXPECT_EQ(Serve({}), 1);
    EXPECT_NE(err_.str().find("cannot listen on 127.0.0.1:0"), std::string::npos);
    EXPECT_TRUE(server_.published.empty());
    server_.refuse = false;
  }
  {
    SCOPED_TRACE("an input is missing");
    const std::string line = env_.files[options_.line_file];
    env_.files.erase(options_.line_file);
    EXPECT_EQ(Serve({}), 1);
    EXPECT_FALSE(server_.started);
    env_.files[options_.line_file] = line;
  }
  {
    SCOPED_TRACE("--write into a folder a file is in the way of");
    options_.write = true;
    options_.out_dir = "blocked/out";
    env_.files["blocked"] = "x";
    err_.str("");
    EXPECT_EQ(Serve({}), 1);
    EXPECT_NE(
        err_.str().find("cannot create the output folder blocked/out: blocked: Not a directory"),
        std::string::npos)
        << err_.str();
    EXPECT_FALSE(server_.started);
  }
}

}  // namespace
}  // namespace sc
