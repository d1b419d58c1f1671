// The program run as a user runs it, in temporary folders.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <vector>

#include "test_support.h"

namespace sc::testing {
namespace {

const char* const kLineFile = "Vastro - Dreo_linea.txt";
const char* const kTrainFile = "Vastro - Dreo_2001-.txt";
const char* const kCompiled[] = {"Vastro - Dreo_linea.dat", "Vastro - Dreo_2001.sim",
                                 "Vastro - Dreo_2001.dat"};
const char* const kDocuments[] = {"Vastro - Dreo_2001_note.txt",
                                  "Vastro - Dreo_2001_rallentamenti.txt",
                                  "Vastro - Dreo_2001_scheda_treno.txt"};

TEST(Cli, UsageHelpAndVersion) {
  ProgramRun bad = RunProgram("--bogus");
  EXPECT_EQ(bad.exit_status, 1);
  EXPECT_NE(bad.err.find("--bogus"), std::string::npos);
  EXPECT_NE(bad.err.find("--help"), std::string::npos);

  ProgramRun help = RunProgram("--help");
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("compile"), std::string::npos);

  ProgramRun version = RunProgram("--version");
  EXPECT_EQ(version.exit_status, 0);
  // The version with the commit as build metadata, and the platform:
  // "scenario-compiler 1.1.0+g1a2b3c4 (Linux x86_64)".
  EXPECT_TRUE(
      std::regex_match(version.out, std::regex("scenario-compiler [0-9]+\\.[0-9]+\\.[0-9]+"
                                               "(\\+g[0-9a-f]+(-dirty)?)? \\(Linux [^)]+\\)\n")))
      << version.out;
}

TEST(Cli, OutputThatCannotBeWrittenIsAFailedWrite) {
  TempFolder dir;
  ASSERT_EQ(RunProgram("--out " + ShellQuote(dir.path())).exit_status, 0);
  TempFolder emit_dir;
  const std::string plan = ShellQuote(dir.File(kCompiled[0]));
  for (const std::string& args :
       {std::string("--help"), std::string("--version"),
        "emit --out " + ShellQuote(emit_dir.path()), "dump " + plan, "dump --json " + plan,
        "dump " + ShellQuote(dir.File(kCompiled[2]))}) {
    ProgramRun run = RunProgram(args, ".", "/dev/full");
    EXPECT_EQ(run.exit_status, 1) << args;
    EXPECT_NE(run.err.find("standard output: No space left on device"), std::string::npos)
        << args << ": " << run.err;
  }
}

// Runs the program with `args` (no shell) with its standard output on a pipe
// whose reader has already gone and its standard error into `err_path`;
// SIGPIPE ignored when `ignore_sigpipe`. Returns the wait status.
int RunIntoClosedPipe(const std::vector<std::string>& args, const std::string& err_path,
                      bool ignore_sigpipe) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  ::close(fds[0]);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(fds[1], 1);
    ::close(fds[1]);
    std::FILE* err = std::freopen(err_path.c_str(), "w", stderr);
    if (!err) ::_exit(120);
    ::signal(SIGPIPE, ignore_sigpipe ? SIG_IGN : SIG_DFL);
    std::vector<char*> argv{const_cast<char*>(SC_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(SC_PROGRAM, argv.data());
    ::_exit(121);
  }
  ::close(fds[1]);
  int status = -1;
  ::waitpid(child, &status, 0);
  return status;
}

// A reader that closes the pipe (a pager quit) ends the program quietly:
// by SIGPIPE where it is not ignored, as any program on Linux; where it is
// ignored, with the status the run would have had.
TEST(Cli, AClosedPipeEndsTheProgramQuietly) {
  TempFolder dir;
  const std::string err = dir.File("err");
  int status = RunIntoClosedPipe({"explain", "--reference"}, err, false);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
  EXPECT_EQ(ReadFileOrDie(err), "");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"explain", "--reference"}, std::vector<std::string>{"--help"}}) {
    status = RunIntoClosedPipe(args, err, true);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args[0] << ": " << status;
    EXPECT_EQ(ReadFileOrDie(err), "") << args[0];
  }
}

TEST(Cli, BuiltInRunLeavesDocumentsAndCompiledFilesOnly) {
  TempFolder dir;
  ProgramRun run = RunProgram("--out " + ShellQuote(dir.path()));
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "Attendere\n");
  for (const char* name : kDocuments) EXPECT_TRUE(PathExists(dir.File(name))) << name;
  for (const char* name : kCompiled) EXPECT_TRUE(PathExists(dir.File(name))) << name;
  EXPECT_FALSE(PathExists(dir.File(kLineFile)));
  EXPECT_FALSE(PathExists(dir.File(kTrainFile)));
}

TEST(Cli, EmitThenCompileEqualsTheBuiltInRun) {
  TempFolder builtin, authored;
  ASSERT_EQ(RunProgram("--out " + ShellQuote(builtin.path())).exit_status, 0);
  ProgramRun emit = RunProgram("emit --out " + ShellQuote(authored.path()));
  ASSERT_EQ(emit.exit_status, 0) << emit.err;
  std::string line_before = ReadFileOrDie(authored.File(kLineFile));
  std::string train_before = ReadFileOrDie(authored.File(kTrainFile));

  ProgramRun compile = RunProgram("compile " + ShellQuote(authored.File(kLineFile)) + " " +
                                  ShellQuote(authored.File(kTrainFile)));
  EXPECT_EQ(compile.exit_status, 0) << compile.err;
  for (const char* name : kCompiled) {
    EXPECT_EQ(ReadFileOrDie(authored.File(name)), ReadFileOrDie(builtin.File(name))) << name;
  }
  for (const char* name : kDocuments) {
    EXPECT_EQ(ReadFileOrDie(authored.File(name)), ReadFileOrDie(builtin.File(name))) << name;
  }
  // The author's inputs are untouched.
  EXPECT_EQ(ReadFileOrDie(authored.File(kLineFile)), line_before);
  EXPECT_EQ(ReadFileOrDie(authored.File(kTrainFile)), train_before);
}

// The author's guide in the README, run as written in a fresh folder: each
// `scenario-compiler ...` command of it in turn, with the renaming step 1
// asks for done between steps 1 and 2. (The live server of step 5 is left
// out: it runs until stopped.)
TEST(Cli, AuthorsGuideRunsAsWritten) {
  const std::string readme = ReadFileOrDie(std::string(SC_SOURCE_DIR) + "/README.md");
  const size_t begin = readme.find("\n## Author's guide\n");
  ASSERT_NE(begin, std::string::npos);
  const std::string guide = readme.substr(begin, readme.find("\n## ", begin + 1) - begin);
  std::vector<std::string> commands;
  const std::regex command("`scenario-compiler ([^`]*)`|\n +scenario-compiler (.*)\n");
  for (std::sregex_iterator it(guide.begin(), guide.end(), command), end; it != end; ++it) {
    const std::string args = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
    if (args.find("--serve") == std::string::npos) commands.push_back(args);
  }
  ASSERT_GE(commands.size(), 3u);
  ASSERT_EQ(commands[0], "emit --out myscenario");

  TempFolder home;
  ProgramRun emit = RunProgram(commands[0], home.path());
  EXPECT_EQ(emit.exit_status, 0) << emit.err;
  EXPECT_EQ(emit.err, "scenario-compiler: created folder myscenario\n");
  const std::string folder = home.File("myscenario");
  ASSERT_EQ(
      std::rename((folder + "/" + kLineFile).c_str(), (folder + "/My Line_linea.txt").c_str()), 0);
  ASSERT_EQ(std::rename((folder + "/" + kTrainFile).c_str(), (folder + "/My Line_42-.txt").c_str()),
            0);
  for (size_t i = 1; i < commands.size(); ++i) {
    ProgramRun run = RunProgram(commands[i], home.path());
    EXPECT_EQ(run.exit_status, 0) << commands[i] << ": " << run.err;
  }
  EXPECT_TRUE(PathExists(home.File("myscenario/My Line_42.dat")));
}

// Every command with an output folder makes it, with the folders above it,
// and says so; what stands in the way is told alike by all, with the
// system's reason.
TEST(Cli, OutputFoldersAreMadeOrRefusedAlike) {
  TempFolder dir;
  ASSERT_EQ(RunProgram("--out " + ShellQuote(dir.path())).exit_status, 0);
  ASSERT_EQ(RunProgram("emit --force --out " + ShellQuote(dir.path())).exit_status, 0);
  WriteFileOrDie(dir.File("file"), "x");
  const std::string texts =
      ShellQuote(dir.File(kLineFile)) + " " + ShellQuote(dir.File(kTrainFile));
  std::string compiled;
  for (const char* name : kCompiled) compiled += " " + ShellQuote(dir.File(name));
  // The live server is only refused here: once started, it runs until stopped.
  std::vector<std::string> commands = {"", "emit", "compile " + texts, "decompile" + compiled,
                                       "view " + texts + " --serve --write"};
#ifdef SC_WITH_IMPORT
  commands.push_back("import " +
                     ShellQuote(SC_SOURCE_DIR "/tests/data/osm/liechtenstein-2013-08-03.osm.pbf") +
                     " --from Schaan-Vaduz --to Tisis");
#endif
  for (size_t i = 0; i < commands.size(); ++i) {
    const std::string& command = commands[i];
    SCOPED_TRACE(command);
    if (command.rfind("view", 0) != 0) {
      const std::string made = dir.File("made " + std::to_string(i) + "/a/b");
      ProgramRun run = RunProgram(command + " --out " + ShellQuote(made));
      EXPECT_EQ(run.exit_status, 0) << run.err;
      EXPECT_NE(run.err.find("scenario-compiler: created folder " + made + "\n"), std::string::npos)
          << run.err;
      EXPECT_FALSE(std::filesystem::is_empty(made));
    }
    for (const std::string& blocked : {dir.File("file"), dir.File("file/sub")}) {
      ProgramRun refused = RunProgram(command + " --out " + ShellQuote(blocked));
      EXPECT_EQ(refused.exit_status, 1);
      EXPECT_NE(
          refused.err.find("scenario-compiler: cannot create the output folder " + blocked + ": " +
                           (blocked == dir.File("file") ? "" : dir.File("file") + ": ") +
                           "Not a directory\n"),
          std::string::npos)
          << refused.err;
    }
  }
  EXPECT_EQ(ReadFileOrDie(dir.File("file")), "x");
}

TEST(Cli, AFolderThatMayNotBeMadeIsRefusedWithTheReason) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  TempFolder dir;
  const std::string locked = dir.File("locked");
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(
      locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  ProgramRun denied = RunProgram("emit --out " + ShellQuote(locked + "/new"));
  EXPECT_EQ(denied.exit_status, 1);
  EXPECT_NE(
      denied.err.find("cannot create the output folder " + locked + "/new: Permission denied"),
      std::string::npos)
      << denied.err;
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

TEST(Cli, EmitRefusesToOverwriteUnlessForced) {
  TempFolder dir;
  WriteFileOrDie(dir.File(kLineFile), "my own work");
  ProgramRun refused = RunProgram("emit --out " + ShellQuote(dir.path()));
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_NE(refused.err.find(kLineFile), std::string::npos);
  EXPECT_EQ(ReadFileOrDie(dir.File(kLineFile)), "my own work");
  EXPECT_FALSE(PathExists(dir.File(kTrainFile)));
  EXPECT_EQ(RunProgram("emit --force --out " + ShellQuote(dir.path())).exit_status, 0);
  EXPECT_NE(ReadFileOrDie(dir.File(kLineFile)), "my own work");
}

// A small scenario an author might write.
const char* const kSmallLine =
    "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\ncurvad2, 1000, 500\r\n[fine]\r\n";

TEST(Cli, CompileNamesAndRefusals) {
  TempFolder dir;
  WriteFileOrDie(dir.File("line.txt"), kSmallLine);
  WriteFileOrDie(dir.File("train.txt"), "[generale]\r\n[fine]\r\n");
  std::string files = ShellQuote(dir.File("line.txt")) + " " + ShellQuote(dir.File("train.txt"));

  ProgramRun no_names = RunProgram("compile " + files);
  EXPECT_EQ(no_names.exit_status, 1);
  EXPECT_NE(no_names.err.find("--line"), std::string::npos);

  for (const char* bad : {"..", "a/b", ""}) {
    ProgramRun refused = RunProgram("compile " + files + " --train 1 --line " + ShellQuote(bad));
    EXPECT_EQ(refused.exit_status, 1) << bad;
  }

  ProgramRun dry = RunProgram("compile " + files + " --line L --train 1 --dry-run");
  EXPECT_EQ(dry.exit_status, 0) << dry.err;
  EXPECT_FALSE(PathExists(dir.File("L_1.dat")));

  ProgramRun ok = RunProgram("compile " + files + " --line L --train 1 --no-plan");
  EXPECT_EQ(ok.exit_status, 0) << ok.err;
  EXPECT_TRUE(PathExists(dir.File("L_1.dat")));
  EXPECT_TRUE(PathExists(dir.File("L_1.sim")));
  EXPECT_FALSE(PathExists(dir.File("L_linea.dat")));
  EXPECT_TRUE(PathExists(dir.File("line.txt")));
  EXPECT_TRUE(PathExists(dir.File("train.txt")));

  ProgramRun missing = RunProgram("compile " + ShellQuote(dir.File("nope_linea.txt")) + " " +
                                  ShellQuote(dir.File("train.txt")) + " --train 1");
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_NE(missing.err.find("nope_linea.txt"), std::string::npos);
}

// A name from the command line is UTF-8 here; inside the files it is
// Windows-1252, and the competition codes come from those bytes.
TEST(Cli, NamesAreWindows1252InsideTheFiles) {
  TempFolder dir, utf8_out, cp1252_out;
  WriteFileOrDie(dir.File("line.txt"), kSmallLine);
  WriteFileOrDie(dir.File("train.txt"), "[generale]\r\n[fine]\r\n");
  const std::string files =
      ShellQuote(dir.File("line.txt")) + " " + ShellQuote(dir.File("train.txt"));
  const std::string utf8 = "\xC3\x88RTO \xC3\x97 \xC5\xA0\xC5\x92\xC5\xBD\xC5\xB8 - Dreo";
  const std::string cp1252 = "\xC8RTO \xD7 \x8A\x8C\x8E\x9F - Dreo";

  ProgramRun a = RunProgram("compile " + files + " --train 1 --line " + ShellQuote(utf8) +
                            " --out " + ShellQuote(utf8_out.path()));
  ASSERT_EQ(a.exit_status, 0) << a.err;
  // Bytes that are not UTF-8 are taken as Windows-1252 as they stand.
  ProgramRun b = RunProgram("compile " + files + " --train 1 --line " + ShellQuote(cp1252) +
                            " --out " + ShellQuote(cp1252_out.path()));
  ASSERT_EQ(b.exit_status, 0) << b.err;
  for (const char* suffix : {"_1.sim", "_1.dat", "_linea.dat"}) {
    EXPECT_EQ(ReadFileOrDie(utf8_out.File(utf8 + suffix)),
              ReadFileOrDie(cp1252_out.File(cp1252 + suffix)))
        << suffix;
  }
  EXPECT_NE(ReadFileOrDie(utf8_out.File(utf8 + "_1.sim")).find(cp1252), std::string::npos);
  ProgramRun dump = RunProgram("dump " + ShellQuote(utf8_out.File(utf8 + "_1.sim")));
  EXPECT_NE(dump.out.find("line_name \"" + utf8 + "\""), std::string::npos) << dump.out;

  ProgramRun refused = RunProgram("compile " + files + " --line L --train " +
                                  ShellQuote("\xCE\xA9") + " --out " + ShellQuote(utf8_out.path()));
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_NE(refused.err.find("\"\xCE\xA9\", which Windows-1252 cannot write"), std::string::npos)
      << refused.err;
  EXPECT_FALSE(PathExists(utf8_out.File("L_\xCE\xA9.sim")));
}

TEST(Cli, CompileWritesIntoOutAndNeverOverAnInput) {
  TempFolder dir, out;
  // An author who named the line file like the route plan it produces.
  WriteFileOrDie(dir.File("L_linea.dat"), kSmallLine);
  WriteFileOrDie(dir.File("L_1-.txt"), "[generale]\r\n[fine]\r\n");
  ProgramRun refused = RunProgram("compile L_linea.dat L_1-.txt --line L", dir.path());
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_NE(refused.err.find("would overwrite an input file"), std::string::npos) << refused.err;
  EXPECT_EQ(ReadFileOrDie(dir.File("L_linea.dat")), kSmallLine);
  EXPECT_FALSE(PathExists(dir.File("L_1.dat")));

  ProgramRun elsewhere = RunProgram(
      "compile L_linea.dat L_1-.txt --line L --out " + ShellQuote(out.path()), dir.path());
  EXPECT_EQ(elsewhere.exit_status, 0) << elsewhere.err;
  EXPECT_TRUE(PathExists(out.File("L_linea.dat")));
  EXPECT_TRUE(PathExists(out.File("L_1.sim")));
  EXPECT_EQ(ReadFileOrDie(dir.File("L_linea.dat")), kSmallLine);
}

// A misspelt keyword and a speed the profile rounds: two warnings.
const char* const kWarnedTrain =
    "[generale]\r\nvelocita, 0, 132\r\n[segnali]\r\nsegnal, 2800, 2, 4, 1, 0, 0, 2, 2,1,0, 0\r\n"
    "[fine]\r\n";

// How a compile of the small line with a given train ends: its exit status,
// what it says on standard error and whether the compiled files are written.
TEST(Cli, CompileOutcomes) {
  const char* const kCompiledFiles[] = {"L_linea.dat", "L_1.sim", "L_1.dat"};
  struct Case {
    const char* label;
    std::string train;
    const char* options;
    int status;
    std::string err;     // the whole of standard error, unless `err_part`
    bool err_part;       // `err` need only appear in standard error
    bool files_written;  // the three compiled files exist afterwards
  };
  const Case cases[] = {
      // The error names file, line and the column of the position it
      // checks, with the record that took the cell; a failed check still
      // writes the files.
      {"cell already taken",
       "[generale]\r\n[segnali]\r\nsegnale, 2800, 2, 4, 1, 0, 0, 2, 2,1,0, 0\r\n"
       "segnale, 2800, 2, 4, 1, 0, 0, 2, 2,1,0, 0\r\n[fine]\r\n",
       "", 2,
       "L_1-.txt:4:10: error 16: the signal's cell is already taken (position 2800 m)\n"
       "L_1-.txt:3:1: note: cell 57 was taken here by the signal at 2800 m\n",
       false, true},
      // --strict fails on a warning and writes nothing...
      {"strict with a warning", kWarnedTrain, "--strict", 4, "--strict", true, false},
      // ...and without a warning changes nothing.
      {"strict without a warning", "[generale]\r\nvelocita, 0, 130\r\n[fine]\r\n", "--strict", 0,
       "", false, true},
      // An "abbattimento" at 50 m lands in cell 1, whose value is reserved:
      // the message ends the run and nothing is written.
      {"reserved place already set", "[generale]\r\nabbattimento, 50, 7\r\n[fine]\r\n", "", 3,
       " Errore n. 1250\n", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempFolder dir;
    WriteFileOrDie(dir.File("L_linea.txt"), kSmallLine);
    WriteFileOrDie(dir.File("L_1-.txt"), c.train);
    ProgramRun run =
        RunProgram(std::string("compile L_linea.txt L_1-.txt ") + c.options, dir.path());
    EXPECT_EQ(run.exit_status, c.status) << run.err;
    if (c.err_part) {
      EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    } else {
      EXPECT_EQ(run.err, c.err);
    }
    for (const char* name : kCompiledFiles) {
      EXPECT_EQ(PathExists(dir.File(name)), c.files_written) << name;
    }
  }
}

TEST(Cli, PreviewStrictFailsOnAWarningAndDrawsNothing) {
  TempFolder dir;
  WriteFileOrDie(dir.File("L_linea.txt"), kSmallLine);
  WriteFileOrDie(dir.File("L_1-.txt"), kWarnedTrain);
  ProgramRun preview = RunProgram("preview L_linea.txt L_1-.txt --strict", dir.path());
  EXPECT_EQ(preview.exit_status, 4);
  EXPECT_FALSE(PathExists(dir.File("L_1_preview.svg")));
}

// The warnings' options: each row is one compile of the same files.
TEST(Cli, WarningsOnStandardErrorWithTheirOptions) {
  TempFolder dir;
  WriteFileOrDie(dir.File("L_linea.txt"), kSmallLine);
  WriteFileOrDie(dir.File("L_1-.txt"), kWarnedTrain);
  struct Case {
    const char* options;
    int status;
    const char* err;      // the whole of standard error, unless null
    const char* present;  // must appear in standard error, unless null
    const char* absent;   // must not appear in standard error, unless null
  };
  const Case cases[] = {
      {"", 0,
       "L_1-.txt:2:14: warning: the speed 132 km/h is not a multiple of 5; the speed profile "
       "stores 130 km/h [-Wstored-value]\n"
       "L_1-.txt:4:1: warning: 'segnal' is not a record keyword; it is skipped; did you mean "
       "'segnale'? [-Wunknown-keyword]\n"
       "2 warnings generated.\n",
       nullptr, nullptr},
      // One warning is counted as two are; it points at the field it is
      // about, the speed, as the JSON does with the field's whole range.
      {"-Wno-unknown-keyword", 0,
       "L_1-.txt:2:14: warning: the speed 132 km/h is not a multiple of 5; the speed profile "
       "stores 130 km/h [-Wstored-value]\n"
       "1 warning generated.\n",
       nullptr, nullptr},
      {"--diagnostics=json -Wno-unknown-keyword", 0, nullptr,
       "{\"file\":\"L_1-.txt\",\"line\":2,\"column\":14,\"end_column\":17,", nullptr},
      {"-w", 0, "", nullptr, nullptr},
      {"--diagnostics=json -Wno-stored-value", 0,
       "{\"file\":\"L_1-.txt\",\"line\":4,\"column\":1,\"end_column\":7,\"severity\":"
       "\"warning\",\"class\":\"unknown-keyword\",\"code\":0,\"message\":\"'segnal' is not a "
       "record keyword; it is skipped; did you mean 'segnale'?\",\"notes\":[]}\n",
       nullptr, nullptr},
      {"-Wno-nonsense", 1, nullptr, "unknown-keyword", nullptr},
  };
  std::string grid;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    ProgramRun run =
        RunProgram(std::string("compile L_linea.txt L_1-.txt ") + c.options, dir.path());
    EXPECT_EQ(run.exit_status, c.status) << run.err;
    if (c.err) {
      EXPECT_EQ(run.err, c.err);
    }
    if (c.present) {
      EXPECT_NE(run.err.find(c.present), std::string::npos) << run.err;
    }
    if (c.absent) {
      EXPECT_EQ(run.err.find(c.absent), std::string::npos) << run.err;
    }
    // Warnings never change a compiled byte.
    if (c.status == 0) {
      const std::string now = ReadFileOrDie(dir.File("L_1.dat"));
      if (grid.empty()) grid = now;
      EXPECT_EQ(now, grid);
    }
  }
}

}  // namespace
}  // namespace sc::testing
