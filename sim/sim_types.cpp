#include "sim/sim_types.h"

namespace {

struct KindName {
  SimCommand kind;
  const char* name;
};

constexpr KindName kindNames[] = {
    {SimCommand::query, "query"},     {SimCommand::read, "read"},
    {SimCommand::write, "write"},     {SimCommand::erase, "erase"},
    {SimCommand::control, "control"}, {SimCommand::null, "null"},
    {SimCommand::select, "select"},   {SimCommand::launch, "launch"},
};

}  // namespace

const char* SimCommandName(SimCommand kind) {
  for (const KindName& entry : kindNames) {
    if (entry.kind == kind) return entry.name;
  }
  return "?";
}

int ParseSimCommand(const std::string& name, SimCommand* kind) {
  for (const KindName& entry : kindNames) {
    if (name == entry.name) {
      *kind = entry.kind;
      return 0;
    }
  }
  return -1;
}
