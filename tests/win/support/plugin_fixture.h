// Test support for the plug-in under Wine: temporary folders, a private copy of the
// plug-in loaded fresh for each test, and calls made the way a Delphi host makes them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/text.h"
#include "win/handles.h"

namespace eos::test {

// A new empty folder, removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const Text& path() const { return path_; }  // ends with "\"

 private:
  Text path_;
};

// The folder of the running test program, ending with "\".
Text ProgramFolder();
bool FileExists(const Text& path);
std::string ReadFileBytes(const Text& path);
void WriteFileBytes(const Text& path, const std::string& bytes);

struct ProcessResult {
  DWORD exit_code;
  std::string out;  // standard output
  std::string err;  // standard error
};
// Runs a command line to its end (killed after the timeout) and collects its output.
ProcessResult RunProcess(const Text& command_line, DWORD timeout_ms = 60000);

struct CallResult {
  int32_t result;
  Text text;
};

// CanonEosPlugin.dll copied into a temporary folder and loaded from there, so that each
// test starts from the plug-in's initial state with a folder of its own for the log and
// the SDK.
class PluginCopy {
 public:
  PluginCopy();
  const Text& folder() const { return dir_.path(); }
  // One Dll_ParamsW call with the text in a host-allocated BSTR.
  CallResult Call(int32_t cmd, const Text& text) const;
  const void* entry() const { return entry_; }
  // Frees the plug-in and loads the same file again, as a host that unloads it does.
  void Reload();

 private:
  void Load();
  TempDir dir_;
  win::UniqueModule module_;
  const void* entry_ = nullptr;
};

}  // namespace eos::test
