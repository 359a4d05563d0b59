#include <io.h>
#include <process.h>

#include <cstdlib>
#include <filesystem>

#include "sim/platform/platform.h"
#include "sim/platform/windows_api.h"

namespace vsim::platform {

std::string ExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool MoveReplacing(const std::string& from, const std::string& to, std::string& why) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
  why = "cannot replace the file (error " + std::to_string(GetLastError()) + ")";
  return false;
}

std::string CommandWord(const std::string& path) {
  return "\"" + std::filesystem::path(path).make_preferred().string() + "\"";
}

int RunCommand(const std::string& command, std::string& output) {
  // cmd.exe strips the outer quotes of a line that starts with a quote.
  // Read as text, as the program writes it: lines end in "\n" here too.
  std::FILE* pipe = _popen(("\"" + command + "\"").c_str(), "rt");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  return _pclose(pipe);
}

bool LibraryLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

void* LoadedLibrarySymbol(const std::string& path, const char* name) {
  HMODULE module = GetModuleHandleA(path.c_str());
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}

void* OpenLibrary(const std::string& path, bool, std::string& why) {
  HMODULE library = LoadLibraryA(path.c_str());
  if (library == nullptr) why = "error " + std::to_string(GetLastError());
  return reinterpret_cast<void*>(library);
}

void CloseLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

void* LibrarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

// An empty value removes the variable.
void SetEnvironment(const std::string& name, const std::string& value) {
  _putenv((name + "=" + value).c_str());
}

std::string CurrentThreadName() { return "thread " + std::to_string(GetCurrentThreadId()); }

void RemoveFileNow(const char* path, int descriptor) {
  if (descriptor >= 0) _close(descriptor);
  _unlink(path);
}

void ExitNow(int code) { _exit(code); }

}  // namespace vsim::platform
