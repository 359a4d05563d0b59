#include <cstdio>
#include "sim/host.h"
int main() {
  vsim::Host host;
  host.LoadModule("./Corvane.so");
  std::printf("%s %d\n", host.ModuleDate(), host.ModuleVersion());
}
