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

void Append(PageVessel& page, const Host& host, const VesselRecord& v) {
  page.step.push_back(host.StepCount());
  page.time.push_back(host.SimTime());
  for (std::size_t i = 0; i < kPageSeriesCount; ++i)
    page.series[i].push_back(kPageSeries[i].read(host, v));
  const auto& animations = v.declared.animations;
  page.animations.resize(std::max(page.animations.size(), animations.size()));
  for (std::size_t i = 0; i < page.animations.size(); ++i)
    page.animations[i].push_back(i < animations.size() ? animations[i].state : NAN);
  page.beacons.push_back(BeaconBits(v));
}

template <typename T>
void KeepEverySecond(std::vector<T>& v) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < v.size(); i += 2) v[kept++] = v[i];
  v.resize(kept);
}

std::size_t ValueCount(const PageData& data) {
  std::size_t values = 0;
  for (const PageVessel& v : data.vessels)
    values += v.time.size() * (v.series.size() + v.animations.size());
  return values;
}

void Thin(PageData& data) {
  for (PageVessel& v : data.vessels) {
    KeepEverySecond(v.step);
    KeepEverySecond(v.time);
    KeepEverySecond(v.beacons);
    for (auto& s : v.series) KeepEverySecond(s);
    for (auto& a : v.animations) KeepEverySecond(a);
  }
  data.stride *= 2;
}

}  // namespace

void PageData::SampleVessel(const Host& host, const VesselRecord& vessel) {
  PageVessel& page = VesselOf(*this, vessel.name);
  ReadComponents(page, vessel);
  NoteTouchdown(page, host, vessel);
  if (page.seen++ % stride == 0) Append(page, host, vessel);
}

void PageData::Sample(const Host& host) {
  // The focus as the flight left it leads the page.
  if (host.Focus() != nullptr && host.Focus()->name != focus) focus = host.Focus()->name;
  for (const auto& vessel : host.Vessels()) SampleVessel(host, *vessel);
  if (ValueCount(*this) >= max_values) Thin(*this);
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
  file_->Write(PageText(data_));
  file_->Close();
}

void FlightPage::Publish() {
  if (!file_) return;
  const std::unique_ptr<AtomicFile> file = std::move(file_);
  file->Publish();
}

}  // namespace vsim
