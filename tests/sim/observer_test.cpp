// The outputs' contract with the runner: a published output stays in place
// whatever comes after (a run stopped by a failed command publishes what it
// ran and is then abandoned, which discards), and one discarded before it
// was published leaves nothing behind.
#include "sim/outputs/observer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "sim/files/file_system.h"
#include "sim/outputs/csv_log.h"
#include "sim/outputs/flight_page.h"
#include "sim/outputs/svg_plot.h"
#include "sim/outputs/trace_writer.h"
#include "tests/support.h"

namespace {

struct Output {
  const char* name;
  const char* file;
  std::function<std::unique_ptr<vsim::RunObserver>(vsim::FileSystem&)> make;
};

void PrintTo(const Output& o, std::ostream* out) { *out << o.name; }

const Output kOutputs[] = {
    {"CsvLog", "out/flight.csv",
     [](vsim::FileSystem& files) {
       vsim::LogOptions options;
       options.out_dir = "out";
       return std::make_unique<vsim::CsvLog>(files, options);
     }},
    {"SvgPlot", "flight.svg",
     [](vsim::FileSystem& files) {
       return std::make_unique<vsim::SvgPlot>(files, "flight.svg", "t", vsim::PlotLayout{}, 0);
     }},
    {"FlightPage", "flight.html",
     [](vsim::FileSystem& files) {
       return std::make_unique<vsim::FlightPage>(files, "flight.html", "t",
                                                 std::vector<std::string>{}, vsim::PlotLayout{});
     }},
    {"TraceWriter", "trace.txt",
     [](vsim::FileSystem& files) {
       return std::make_unique<vsim::TraceWriter>(files, "trace.txt");
     }},
};

class ObserverContract : public ::testing::TestWithParam<Output> {
protected:
  test::ScratchDirectory scratch;
  vsim::Host host;
};

TEST_P(ObserverContract, ADiscardAfterThePublishLeavesTheOutputInPlace) {
  const auto output = GetParam().make(vsim::SystemFiles());
  output->RunStarted(host);
  output->StepDone(host);
  output->RunEnded(host, true);
  output->Publish();
  const std::string published = test::ReadFile(GetParam().file);
  ASSERT_TRUE(test::Exists(GetParam().file));
  output->Discard();
  EXPECT_TRUE(test::Exists(GetParam().file));
  EXPECT_EQ(test::ReadFile(GetParam().file), published);
  EXPECT_FALSE(test::PartialFilesLeft());
}

TEST_P(ObserverContract, ADiscardBeforeAnyPublishLeavesNothing) {
  const auto output = GetParam().make(vsim::SystemFiles());
  output->RunStarted(host);
  output->StepDone(host);
  output->RunEnded(host, false);
  output->Discard();
  output->Publish();
  EXPECT_FALSE(test::Exists(GetParam().file));
  EXPECT_FALSE(test::PartialFilesLeft());
}

INSTANTIATE_TEST_SUITE_P(Outputs, ObserverContract, ::testing::ValuesIn(kOutputs),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
