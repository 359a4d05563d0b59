#include "sim/platform/platform.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#if defined(_WIN32)
#include <io.h>
#include <process.h>

#include "sim/platform/windows_api.h"
#else
#include <dlfcn.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vsim::platform {

#if defined(_WIN32)

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

std::string CurrentThreadName() { return "thread " + std::to_string(GetCurrentThreadId()); }

void RemoveFileNow(const char* path, int descriptor) {
  if (descriptor >= 0) _close(descriptor);
  _unlink(path);
}

void ExitNow(int code) { _exit(code); }

#else

std::string ExecutablePath() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.string();
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

bool MoveReplacing(const std::string& from, const std::string& to, std::string& why) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  why = std::strerror(errno);
  return false;
}

std::string CommandWord(const std::string& path) {
  std::string word = "'";
  for (char c : path) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// As the shell reports a command that a signal ended.
constexpr int kSignalExitBase = 128;

int RunCommand(const std::string& command, std::string& output) {
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = pclose(pipe);
  if (WIFSIGNALED(status)) return kSignalExitBase + WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool LibraryLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

void* LoadedLibrarySymbol(const std::string& path, const char* name) {
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (handle == nullptr) return nullptr;
  void* symbol = dlsym(handle, name);
  // The library stays loaded by its other references.
  dlclose(handle);
  return symbol;
}

void* OpenLibrary(const std::string& path, bool global, std::string& why) {
  void* library = dlopen(path.c_str(), RTLD_NOW | (global ? RTLD_GLOBAL : RTLD_LOCAL));
  if (library == nullptr) {
    const char* error = dlerror();
    why = error != nullptr ? error : "unknown error";
  }
  return library;
}

void CloseLibrary(void* library) { dlclose(library); }

void* LibrarySymbol(void* library, const char* name) { return dlsym(library, name); }

std::string CurrentThreadName() {
  constexpr std::size_t kThreadName = 64;
  std::string text = "thread " + std::to_string(static_cast<long>(syscall(SYS_gettid)));
  char name[kThreadName] = {};
  if (pthread_getname_np(pthread_self(), name, sizeof name) == 0 && name[0] != '\0')
    text += " \"" + std::string(name) + "\"";
  return text;
}

void RemoveFileNow(const char* path, int) { unlink(path); }

void ExitNow(int code) { _exit(code); }

#endif

EnteredFolder::EnteredFolder(const std::string& path)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(path);
}

EnteredFolder::~EnteredFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

WorkingFolder::WorkingFolder(const std::string& prefix)
    : previous_(std::filesystem::current_path().string()) {
  std::random_device random;
  for (;;) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
    if (std::filesystem::create_directory(dir)) {
      path_ = dir.string();
      break;
    }
  }
  std::filesystem::current_path(path_);
}

WorkingFolder::~WorkingFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vsim::platform
