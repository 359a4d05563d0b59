#include <dlfcn.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "sim/platform/platform.h"

namespace vsim::platform {

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

void SetEnvironment(const std::string& name, const std::string& value) {
  if (value.empty())
    unsetenv(name.c_str());
  else
    setenv(name.c_str(), value.c_str(), 1);
}

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

}  // namespace vsim::platform
