#include "tests/support/model_line.h"

#include "tests/support/loader_log_tables.h"

namespace {

void SkipPause(int) {}

}  // namespace

ModelLine::ModelLine(const SimOptions& options) {
  InitDeviceModel(&model, options);
  link.pauseFunction = SkipPause;
  run.reports.log = [this](LineKind kind, const char* text) {
    log.push_back(LoggedLine(kind, text));
  };
}

int ModelLine::FramesReceived(SimCommand kind) const {
  return model.framesReceived[static_cast<int>(kind)];
}

void ModelLine::Write(int count, const uint8_t* data) {
  DeviceReply reply;
  for (int i = 0; i < count; ++i) {
    DeviceReceiveByte(&model, data[i], &reply);
    if (reply.echo) pending.push_back(data[i]);
    pending.insert(pending.end(), reply.answer.begin(), reply.answer.end());
  }
}

int ModelLine::Read(int count, uint8_t* buffer) {
  int taken = 0;
  for (; taken < count && !pending.empty(); ++taken) {
    buffer[taken] = pending.front();
    pending.pop_front();
  }
  return taken;
}

bool ModelLine::WaitForData(int) { return !pending.empty(); }

void ModelLine::ClearReceive() { pending.clear(); }
void ModelLine::AbortAndClearReceive() { pending.clear(); }
