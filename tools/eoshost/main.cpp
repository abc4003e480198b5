// eoshost: loads the plug-in like a host application and calls Dll_ParamsW once.
#include <windows.h>

#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/paramtext.h"
#include "tools/eoshost/host_text.h"
#include "tools/hostcall/delphi_call.h"
#include "win/handles.h"
#include "win/wtext.h"

using namespace eos;

namespace {

enum Exit { kAnsweredOk = 0, kAnsweredFailure = 1, kBadUsage = 2, kNoPlugin = 3 };

void Print(const std::string& s, DWORD which = STD_OUTPUT_HANDLE) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

int Fail(int code, const std::string& message) {
  Print("eoshost: " + message + "\n", STD_ERROR_HANDLE);
  return code;
}

bool ReadFileBytes(const Text& path, std::string& out) {
  win::UniqueFile f(CreateFileW(win::W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  out.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  return ReadFile(f.get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr) && got == out.size();
}

bool WriteFileBytes(const Text& path, const std::string& bytes) {
  win::UniqueFile f(CreateFileW(win::W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

Text DefaultPluginPath() {
  wchar_t exe[MAX_PATH + 1] = {};
  const Text path = win::FromWide(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
  return path.substr(0, path.find_last_of(u"\\/") + 1) + u"CanonEosPlugin.dll";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<Text> args;
  for (int i = 1; i < argc; ++i) args.push_back(win::FromWide(argv[i], wcslen(argv[i])));
  host::ParsedArgs parsed = host::ParseHostArgs(args);
  host::HostOptions& o = parsed.options;
  if (o.help) {
    Print(host::HostUsage());
    return kAnsweredOk;
  }
  if (!parsed.error.empty()) return Fail(kBadUsage, parsed.error + "\n\n" + host::HostUsage());
  if (!o.text_file.empty()) {
    std::string bytes;
    if (!ReadFileBytes(o.text_file, bytes)) return Fail(kBadUsage, "cannot read " + ToUtf8(o.text_file));
    o.text = host::DecodeTextFile(bytes);
  }

  const Text dll = o.dll.empty() ? DefaultPluginPath() : o.dll;
  win::UniqueModule plugin(LoadLibraryW(win::W(dll)));
  if (!plugin) return Fail(kNoPlugin, "cannot load " + ToUtf8(dll) + " (error " + std::to_string(GetLastError()) + ")");
  const auto entry = reinterpret_cast<const void*>(GetProcAddress(plugin.get(), "Dll_ParamsW"));
  if (!entry) return Fail(kNoPlugin, ToUtf8(dll) + " has no export Dll_ParamsW");

  win::UniqueBstr text(SysAllocStringLen(win::W(o.text), static_cast<UINT>(o.text.size())));
  const int32_t result = host::CallDllParamsW(entry, o.command, text.in_out());
  const Text answer = win::FromWide(text.get(), SysStringLen(text.get()));

  Print(o.raw ? ToUtf8(answer) : host::DescribeAnswer(result, answer, o.full));
  for (const auto& [key, file] : o.saves) {
    if (!HasParam(key, answer)) return Fail(kBadUsage, "the answer has no " + ToUtf8(key));
    if (!WriteFileBytes(file, ToUtf8(GetParamValue(key, answer))))
      return Fail(kBadUsage, "cannot write " + ToUtf8(file));
  }
  return result == 0 ? kAnsweredOk : kAnsweredFailure;
}
