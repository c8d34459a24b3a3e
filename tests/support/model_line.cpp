#include "tests/support/model_line.h"

#include "loader/report.h"

namespace {

ModelLine* capturing = nullptr;

void SkipPause(int) {}

void CaptureLine(const char* line) {
  if (capturing != nullptr) capturing->log.emplace_back(line);
}

}  // namespace

ModelLine::ModelLine(const SimOptions& options) { InitDeviceModel(&model, options); }

ModelLine::~ModelLine() {
  if (capturing == this) {
    SetLogSink(nullptr);
    capturing = nullptr;
  }
  if (cm.port != this) return;
  cm.port = &comPort;
  cm.pauseFunction = previousPause;
}

void ModelLine::AttachLink() {
  previousPause = cm.pauseFunction;
  cm.port = this;
  cm.pauseFunction = SkipPause;
  capturing = this;
  SetLogSink(CaptureLine);
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

void ModelLine::ClearReceive() { pending.clear(); }
void ModelLine::AbortAndClearReceive() { pending.clear(); }
