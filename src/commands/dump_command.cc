#include "commands/dump_command.h"

#include "compiler/input_limits.h"
#include "present/dump.h"
#include "run/report.h"

namespace sc {
namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  std::string_view tail = text.substr(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

bool KindFromName(const std::string& path, FileKind* kind) {
  if (EndsWithIgnoringCase(path, "_linea.dat"))
    *kind = FileKind::kPlan;
  else if (EndsWithIgnoringCase(path, ".sim"))
    *kind = FileKind::kStations;
  else if (EndsWithIgnoringCase(path, ".dat"))
    *kind = FileKind::kGrid;
  else
    return false;
  return true;
}

bool KindFromOption(const std::string& option, FileKind* kind) {
  if (option == "plan")
    *kind = FileKind::kPlan;
  else if (option == "stations")
    *kind = FileKind::kStations;
  else if (option == "grid")
    *kind = FileKind::kGrid;
  else
    return false;
  return true;
}

}  // namespace

int RunDumpCommand(Env& env, const std::string& path, bool json, const std::string& kind,
                   std::ostream& out, std::ostream& err) {
  FileKind file_kind;
  if (!kind.empty() && !KindFromOption(kind, &file_kind)) {
    err << kProgram << "unknown --kind \"" << kind << "\" (use plan, stations or grid)\n";
    return kExitUsageOrIo;
  }
  if (kind.empty() && !KindFromName(path, &file_kind)) {
    err << kProgram << path
        << ": cannot tell the file kind from the name; use --kind plan|stations|grid\n";
    return kExitUsageOrIo;
  }
  std::string bytes;
  Status read = env.ReadFile(path, kMaxCompiledFileBytes, &bytes);
  if (!read.ok()) {
    err << kProgram << read.message() << '\n';
    return kExitUsageOrIo;
  }
  Status dumped = DumpBytes(file_kind, bytes, json, out);
  if (!dumped.ok()) {
    err << kProgram << path << ": " << dumped.message() << '\n';
    return kExitUsageOrIo;
  }
  return kExitClean;
}

}  // namespace sc
