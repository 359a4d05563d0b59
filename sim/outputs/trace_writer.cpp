#include "sim/outputs/trace_writer.h"

namespace vsim {

void TraceWriter::RunStarted(Host& host) {
  file_ = std::make_unique<AtomicFile>(files_, path_);
  host.journal().SetSink(file_->stream());
}

void TraceWriter::RunEnded(Host& host, bool completed) {
  host.journal().SetSink(nullptr);
  if (!file_) return;
  if (!completed) return Discard();
  if (host.journal().SinkFailed()) file_->WriteFailed(host.journal().SinkError());
  file_->Close();
}

void TraceWriter::Publish() {
  if (!file_) return;
  const std::unique_ptr<AtomicFile> file = std::move(file_);
  file->Publish();
}

}  // namespace vsim
