// The few operating-system services the substitute host and its tools need
// that the standard library does not give: the program's own path, whether a
// stream is a terminal, replacing a file, running a program, and looking at
// libraries the process has already loaded.
#pragma once

#include <cstdio>
#include <string>

namespace vsim::platform {

#if defined(_WIN32)
constexpr char kLibrarySuffix[] = ".dll";
#else
constexpr char kLibrarySuffix[] = ".so";
#endif

// The running program's file, or an empty string if the system cannot tell.
std::string ExecutablePath();

bool IsTerminal(std::FILE* stream);

// Moves `from` onto `to`, replacing a file already there.
bool MoveReplacing(const std::string& from, const std::string& to, std::string& why);

// Runs a command line through the system's shell, collecting what it prints
// on its standard output. Returns the exit code (128 + N when signal N ended
// it, as a shell reports it), or -1 if the command could not be run.
int RunCommand(const std::string& command, std::string& output);

// Quotes a path as one word of a command line, in the system's own form.
std::string CommandWord(const std::string& path);

// Whether the library at `path` is loaded into this process; takes no
// reference on it.
bool LibraryLoaded(const std::string& path);

// An export of a library the process has already loaded, or null.
void* LoadedLibrarySymbol(const std::string& path, const char* name);

// Loads a library (with its exports visible to libraries loaded after it
// when global); null on failure, with the loader's reason in why.
void* OpenLibrary(const std::string& path, bool global, std::string& why);
void CloseLibrary(void* library);
void* LibrarySymbol(void* library, const char* name);

// Sets (or, with an empty value, removes) a variable of this process's
// environment, which the programs it runs inherit.
void SetEnvironment(const std::string& name, const std::string& value);

// "thread 1234", with its name where the system keeps one.
std::string CurrentThreadName();

// Removes a file, closing its descriptor first where an open file cannot be
// removed (Windows); safe in a signal handler.
void RemoveFileNow(const char* path, int descriptor);
// Ends the process at once, running nothing more of it.
[[noreturn]] void ExitNow(int code);

// A folder entered for this object's life, then left for the one before.
// Throws std::filesystem::filesystem_error when it cannot be entered.
class EnteredFolder {
public:
  explicit EnteredFolder(const std::string& path);
  ~EnteredFolder();
  EnteredFolder(const EnteredFolder&) = delete;
  EnteredFolder& operator=(const EnteredFolder&) = delete;

private:
  std::string previous_;
};

// A fresh folder under the system's temporary folder, entered for this
// object's life, then left and removed with everything in it.
class WorkingFolder {
public:
  explicit WorkingFolder(const std::string& prefix);
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;
  const std::string& Path() const { return path_; }

private:
  std::string path_;
  std::string previous_;
};

}  // namespace vsim::platform
