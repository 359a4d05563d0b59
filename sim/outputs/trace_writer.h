// The call trace: the journal's lines as they come, into a file that
// appears only when the run completes.
#pragma once

#include <memory>
#include <string>

#include "sim/files/atomic_file.h"
#include "sim/outputs/observer.h"

namespace vsim {

class TraceWriter final : public RunObserver {
public:
  TraceWriter(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
  void RunStarted(Host& host) override;
  void RunEnded(Host& host, bool completed) override;
  void Publish() override;
  void Discard() override { file_.reset(); }

private:
  FileSystem& files_;
  std::string path_;
  std::unique_ptr<AtomicFile> file_;
};

}  // namespace vsim
