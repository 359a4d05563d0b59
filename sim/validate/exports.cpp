#include "sim/validate/exports.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace vsim::validate {

namespace {

class Bytes {
public:
  explicit Bytes(std::vector<char> data) : data_(std::move(data)) {}
  bool Has(std::uint64_t at, std::uint64_t size) const {
    return at <= data_.size() && size <= data_.size() - at;
  }
  template <typename T>
  T At(std::uint64_t at) const {
    T value{};
    if (Has(at, sizeof value)) std::memcpy(&value, data_.data() + at, sizeof value);
    return value;
  }
  std::string Name(std::uint64_t at) const {
    if (!Has(at, 1)) return "";
    const auto begin = data_.begin() + static_cast<std::ptrdiff_t>(at);
    return std::string(begin, std::find(begin, data_.end(), '\0'));
  }
  std::size_t Size() const { return data_.size(); }

private:
  std::vector<char> data_;
};

// ELF64, little-endian: the defined global symbols of .dynsym.
ExportTable ElfExports(const Bytes& f) {
  constexpr std::uint32_t kDynSym = 11;
  constexpr unsigned kGlobal = 1, kWeak = 2, kUnique = 10;
  constexpr std::uint64_t kSymbolSize = 24;
  ExportTable table;
  if (f.At<std::uint8_t>(4) != 2) return {{}, {}, "not a 64-bit ELF file"};
  const auto shoff = f.At<std::uint64_t>(0x28);
  const auto shentsize = f.At<std::uint16_t>(0x3A);
  const auto shnum = f.At<std::uint16_t>(0x3C);
  for (std::uint16_t i = 0; i < shnum; ++i) {
    const std::uint64_t sh = shoff + std::uint64_t{i} * shentsize;
    if (f.At<std::uint32_t>(sh + 4) != kDynSym) continue;
    const auto offset = f.At<std::uint64_t>(sh + 0x18);
    const auto size = f.At<std::uint64_t>(sh + 0x20);
    const auto link = f.At<std::uint32_t>(sh + 0x28);
    const std::uint64_t strtab =
        f.At<std::uint64_t>(shoff + std::uint64_t{link} * shentsize + 0x18);
    for (std::uint64_t s = offset; s + kSymbolSize <= offset + size && f.Has(s, kSymbolSize);
         s += kSymbolSize) {
      const auto name = f.At<std::uint32_t>(s);
      const unsigned bind = f.At<std::uint8_t>(s + 4) >> 4;
      const auto section = f.At<std::uint16_t>(s + 6);
      if (section == 0 || (bind != kGlobal && bind != kWeak && bind != kUnique)) continue;
      const std::string text = f.Name(strtab + name);
      if (text.empty()) continue;
      table.names.push_back(text);
      if (bind == kUnique) table.unique.push_back(text);
    }
    return table;
  }
  return {{}, {}, "no dynamic symbol table"};
}

// PE32+: the names of the export directory.
ExportTable PeExports(const Bytes& f) {
  const auto pe = f.At<std::uint32_t>(0x3C);
  if (f.At<std::uint32_t>(pe) != 0x00004550) return {{}, {}, "no PE header"};
  const std::uint64_t coff = pe + 4;
  const auto sections = f.At<std::uint16_t>(coff + 2);
  const auto optional_size = f.At<std::uint16_t>(coff + 16);
  const std::uint64_t optional = coff + 20;
  const bool plus = f.At<std::uint16_t>(optional) == 0x20B;
  const std::uint64_t directories = optional + (plus ? 112 : 96);
  const auto export_rva = f.At<std::uint32_t>(directories);
  ExportTable table;
  if (export_rva == 0) return table;
  const std::uint64_t section_table = optional + optional_size;
  auto file_offset = [&](std::uint32_t rva) -> std::uint64_t {
    for (std::uint16_t i = 0; i < sections; ++i) {
      const std::uint64_t s = section_table + std::uint64_t{i} * 40;
      const auto virtual_size = f.At<std::uint32_t>(s + 8);
      const auto address = f.At<std::uint32_t>(s + 12);
      const auto raw = f.At<std::uint32_t>(s + 20);
      if (rva >= address && rva < address + virtual_size) return std::uint64_t{raw} + rva - address;
    }
    return f.Size();
  };
  const std::uint64_t directory = file_offset(export_rva);
  const auto count = f.At<std::uint32_t>(directory + 24);
  const std::uint64_t names = file_offset(f.At<std::uint32_t>(directory + 32));
  for (std::uint32_t i = 0; i < count && f.Has(names + 4ull * i, 4); ++i)
    table.names.push_back(f.Name(file_offset(f.At<std::uint32_t>(names + 4ull * i))));
  return table;
}

}  // namespace

ExportTable ReadExports(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {{}, {}, "cannot read " + path};
  std::vector<char> data(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  if (!in) return {{}, {}, "cannot read " + path};
  const Bytes f(std::move(data));
  if (f.Has(0, 4) && f.At<std::uint32_t>(0) == 0x464C457F) return ElfExports(f);
  if (f.Has(0, 2) && f.At<std::uint16_t>(0) == 0x5A4D) return PeExports(f);
  return {{}, {}, path + " is neither an ELF nor a PE library"};
}

}  // namespace vsim::validate
