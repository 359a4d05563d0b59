#include "sim/outputs/flight_page.h"

#include <algorithm>

#include "sim/outputs/page_series.h"

namespace vsim {

namespace {

PageVessel& VesselOf(PageData& data, const std::string& name) {
  for (PageVessel& v : data.vessels)
    if (v.name == name) return v;
  data.vessels.push_back({});
  data.vessels.back().name = name;
  data.vessels.back().series.resize(kPageSeriesCount);
  return data.vessels.back();
}

// The module's transform records live in its memory: read while it is
// loaded, and again if it declares more.
void ReadComponents(PageVessel& page, const VesselRecord& v) {
  const auto& declared = v.declared.components;
  if (page.component_count == declared.size()) return;
  page.component_count = declared.size();
  page.components.clear();
  for (const AnimationComponent& c : declared) {
    if (c.transform == nullptr) continue;
    PageComponent p{c.animation, c.from, c.to, false, {}, 0};
    if (c.transform->Type() == MGROUP_TRANSFORM::ROTATE) {
      const auto* r = static_cast<const MGROUP_ROTATE*>(c.transform);
      p.rotates = true;
      p.axis = r->axis;
      p.angle = r->angle;
    } else if (c.transform->Type() == MGROUP_TRANSFORM::TRANSLATE) {
      p.axis = static_cast<const MGROUP_TRANSLATE*>(c.transform)->shift;
    } else {
      continue;
    }
    page.components.push_back(p);
  }
}

void NoteTouchdown(PageVessel& page, const Host& host, const VesselRecord& v) {
  const bool on_plane = v.flight.on_plane;
  if (on_plane && !page.on_plane && v.flight.landing.happened) {
    const Landing& l = v.flight.landing;
    page.touchdowns.push_back({host.StepCount(), host.SimTime(), l.vspeed, l.speed, l.crash});
  }
  page.on_plane = on_plane;
}

unsigned BeaconBits(const VesselRecord& v) {
  unsigned bits = 0;
  constexpr std::size_t kBits = sizeof bits * 8;
  const auto& beacons = v.declared.beacons;
  for (std::size_t i = 0; i < beacons.size() && i < kBits; ++i)
    if (beacons[i] != nullptr && beacons[i]->active) bits |= 1u << i;
  return bits;
}

// The gathering's slots before the series and the animations.
enum Slot : std::size_t { kStepSlot, kTimeSlot, kBeaconSlot, kSeriesSlots };

void PutGathered(PageVessel& page) {
  auto& g = page.gathering;
  const std::size_t before = page.time.size();
  PutEnds(page.step, g[kStepSlot]);
  PutEnds(page.time, g[kTimeSlot]);
  PutEnds(page.beacons, g[kBeaconSlot]);
  for (std::size_t i = 0; i < kPageSeriesCount; ++i)
    PutExtremes(page.series[i], g[kSeriesSlots + i]);
  for (std::size_t i = 0; i < page.animations.size(); ++i) {
    page.animations[i].resize(before, NAN);
    PutExtremes(page.animations[i], g[kSeriesSlots + kPageSeriesCount + i]);
  }
  page.gathered = 0;
}

void Append(PageVessel& page, const Host& host, const VesselRecord& v) {
  const auto& animations = v.declared.animations;
  page.animations.resize(std::max(page.animations.size(), animations.size()));
  if (page.interval == 2) {
    page.step.push_back(host.StepCount());
    page.time.push_back(host.SimTime());
    for (std::size_t i = 0; i < kPageSeriesCount; ++i)
      page.series[i].push_back(kPageSeries[i].read(host, v));
    for (std::size_t i = 0; i < page.animations.size(); ++i)
      page.animations[i].push_back(i < animations.size() ? animations[i].state : NAN);
    page.beacons.push_back(BeaconBits(v));
    return;
  }
  auto& g = page.gathering;
  g.resize(kSeriesSlots + kPageSeriesCount + page.animations.size());
  g[kStepSlot].Add(host.StepCount());
  g[kTimeSlot].Add(host.SimTime());
  g[kBeaconSlot].Add(BeaconBits(v));
  for (std::size_t i = 0; i < kPageSeriesCount; ++i)
    g[kSeriesSlots + i].Add(kPageSeries[i].read(host, v));
  for (std::size_t i = 0; i < page.animations.size(); ++i)
    g[kSeriesSlots + kPageSeriesCount + i].Add(i < animations.size() ? animations[i].state : NAN);
  if (++page.gathered < page.interval) return;
  PutGathered(page);
}

std::size_t ValueCount(const PageData& data) {
  std::size_t values = 0;
  for (const PageVessel& v : data.vessels)
    values += v.time.size() * (v.series.size() + v.animations.size());
  return values;
}

// Takes the last `count` samples back out of a record into its gathering.
template <typename T>
void Ungather(std::vector<T>& v, Gathering& g, std::size_t count) {
  for (std::size_t i = v.size() - count; i < v.size(); ++i) g.Add(static_cast<double>(v[i]));
  v.resize(v.size() - count);
}

// Joins neighbouring pairs; samples that make no whole pair of the doubled
// interval go back into the interval being gathered.
void Reduce(PageVessel& page) {
  if (page.gathered > 0) PutGathered(page);
  const std::size_t left = page.time.size() % 4;
  auto& g = page.gathering;
  g.assign(kSeriesSlots + kPageSeriesCount + page.animations.size(), Gathering{});
  if (left > 0) {
    Ungather(page.step, g[kStepSlot], left);
    Ungather(page.time, g[kTimeSlot], left);
    Ungather(page.beacons, g[kBeaconSlot], left);
    for (std::size_t i = 0; i < kPageSeriesCount; ++i)
      Ungather(page.series[i], g[kSeriesSlots + i], left);
    for (std::size_t i = 0; i < page.animations.size(); ++i)
      Ungather(page.animations[i], g[kSeriesSlots + kPageSeriesCount + i], left);
  }
  // Every step kept, a sample is a step; reduced, two samples an interval.
  page.gathered = page.interval == 2 ? static_cast<long long>(left)
                                     : static_cast<long long>(left / 2) * page.interval;
  JoinEnds(page.step);
  JoinEnds(page.time);
  JoinEnds(page.beacons);
  for (auto& s : page.series) JoinExtremes(s);
  for (auto& a : page.animations) JoinExtremes(a);
  page.interval *= 2;
}

void Reduce(PageData& data) {
  for (PageVessel& v : data.vessels) Reduce(v);
  data.stride = data.vessels.empty() ? data.stride : data.vessels.front().interval / 2;
}

}  // namespace

void PageData::SampleVessel(const Host& host, const VesselRecord& vessel) {
  PageVessel& page = VesselOf(*this, vessel.name);
  ReadComponents(page, vessel);
  NoteTouchdown(page, host, vessel);
  ++page.seen;
  Append(page, host, vessel);
}

void PageData::Finish() {
  for (PageVessel& v : vessels)
    if (v.gathered > 0) PutGathered(v);
}

void PageData::Sample(const Host& host) {
  // The focus as the flight left it leads the page.
  if (host.Focus() != nullptr && host.Focus()->name != focus) focus = host.Focus()->name;
  for (const auto& vessel : host.Vessels()) SampleVessel(host, *vessel);
  if (ValueCount(*this) >= max_values) Reduce(*this);
}

FlightPage::FlightPage(FileSystem& files, std::string path, std::string title,
                       std::vector<std::string> animation_names, PlotLayout layout)
    : file_(std::make_unique<AtomicFile>(files, std::move(path))) {
  data_.title = std::move(title);
  data_.animation_names = std::move(animation_names);
  data_.layout = std::move(layout);
}

void FlightPage::RunEnded(Host&, bool completed) {
  if (!file_) return;
  if (!completed) return Discard();
  data_.Finish();
  file_->Write(PageText(data_));
  file_->Close();
}

void FlightPage::Publish() {
  if (!file_) return;
  const std::unique_ptr<AtomicFile> file = std::move(file_);
  file->Publish();
}

}  // namespace vsim
