#include "sim/files/clashes.h"

#include <utility>

#include "sim/platform/file_identity.h"

namespace vsim {

namespace {

struct Identified {
  const NamedPath* named;
  platform::FileIdentity identity;
};

std::vector<Identified> Identify(const std::vector<NamedPath>& paths) {
  std::vector<Identified> identified;
  for (const NamedPath& p : paths) {
    if (p.path.empty()) continue;
    platform::FileIdentity identity;
    std::string why;
    // A path that cannot be identified at all cannot be opened either: the
    // run reports it where it fails.
    if (platform::IdentifyFile(p.path, identity, why)) identified.push_back({&p, identity});
  }
  return identified;
}

std::string Clash(const NamedPath& output, const NamedPath& other, const char* relation) {
  return output.role + " " + output.path + " " + relation + " " + other.role + " " + other.path +
         ": nothing is written over it";
}

}  // namespace

std::string FindClash(const std::vector<NamedPath>& inputs, const std::vector<NamedPath>& outputs) {
  const std::vector<Identified> read = Identify(inputs);
  const std::vector<Identified> written = Identify(outputs);
  for (std::size_t i = 0; i < written.size(); ++i) {
    for (const Identified& in : read)
      if (written[i].identity == in.identity) return Clash(*written[i].named, *in.named, "is");
    for (std::size_t j = 0; j < i; ++j)
      if (written[i].identity == written[j].identity)
        return Clash(*written[i].named, *written[j].named, "is also");
  }
  return {};
}

}  // namespace vsim
