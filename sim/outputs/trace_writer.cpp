#include "sim/outputs/trace_writer.h"

namespace vsim {

void TraceWriter::RunStarted(Host& host) {
  file_ = std::make_unique<AtomicFile>(files_, path_);
  host.journal().sink = file_->stream();
}

void TraceWriter::RunEnded(Host& host, bool completed) {
  host.journal().sink = nullptr;
  if (!file_) return;
  std::unique_ptr<AtomicFile> file = std::move(file_);
  if (!completed) return;
  if (host.journal().SinkFailed()) {
    file->Discard();
    throw FileError("cannot write " + path_ + ": a write failed");
  }
  file->Commit();
}

}  // namespace vsim
