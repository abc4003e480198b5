#include "tests/win/support/plugin_fixture.h"

#include <windows.h>

#include <oleauto.h>
#include <shellapi.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "tools/hostcall/delphi_call.h"
#include "win/wtext.h"

namespace eos::test {

namespace {

void RemoveTree(const Text& folder) {
  // SHFileOperation wants a list ending in two NULs.
  std::wstring from = win::Wide(folder.substr(0, folder.size() - 1));
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationW(&op);
}

}  // namespace

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  wchar_t base[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, base);
  for (;;) {
    path_ = win::FromWide(base, wcslen(base)) + u"eostest_" + IntToText(GetCurrentProcessId()) + u"_" +
            IntToText(counter++) + u"\\";
    if (CreateDirectoryW(win::W(path_), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create a temporary folder");
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

Text ProgramFolder() {
  wchar_t buf[MAX_PATH + 1] = {};
  const Text path = win::FromWide(buf, GetModuleFileNameW(nullptr, buf, MAX_PATH));
  return path.substr(0, path.find_last_of(u"\\/") + 1);
}

bool FileExists(const Text& path) { return GetFileAttributesW(win::W(path)) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFileBytes(const Text& path) {
  win::UniqueFile f(
      CreateFileW(win::W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) throw std::runtime_error("cannot open " + ToUtf8(path));
  std::string out(GetFileSize(f.get(), nullptr), '\0');
  DWORD got = 0;
  ReadFile(f.get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
  out.resize(got);
  return out;
}

void WriteFileBytes(const Text& path, const std::string& bytes) {
  win::UniqueFile f(CreateFileW(win::W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!f) throw std::runtime_error("cannot create " + ToUtf8(path));
  DWORD written = 0;
  WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

namespace {

// Reads a pipe to its end on a thread of its own, so that neither pipe can fill and stall.
class PipeReader {
 public:
  explicit PipeReader(HANDLE h)
      : h_(h), thread_([this] {
          char buf[4096];
          DWORD got = 0;
          while (ReadFile(h_, buf, sizeof buf, &got, nullptr) && got > 0) data_.append(buf, got);
        }) {}
  std::string Finish() {
    thread_.join();
    return data_;
  }

 private:
  HANDLE h_;
  std::string data_;
  std::thread thread_;
};

}  // namespace

ProcessResult RunProcess(const Text& command_line, DWORD timeout_ms) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  win::UniqueHandle out_read, out_write, err_read, err_write;
  if (!CreatePipe(out_read.out(), out_write.out(), &sa, 0) || !CreatePipe(err_read.out(), err_write.out(), &sa, 0))
    throw std::runtime_error("cannot create pipes");
  SetHandleInformation(out_read.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out_write.get();
  si.hStdError = err_write.get();
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = win::Wide(command_line);
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    throw std::runtime_error("cannot start " + ToUtf8(command_line));
  win::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  out_write.reset();
  err_write.reset();
  PipeReader out(out_read.get()), err(err_read.get());
  if (WaitForSingleObject(process.get(), timeout_ms) != WAIT_OBJECT_0) TerminateProcess(process.get(), 255);
  ProcessResult r{};
  GetExitCodeProcess(process.get(), &r.exit_code);
  r.out = out.Finish();
  r.err = err.Finish();
  return r;
}

PluginCopy::PluginCopy() {
  const Text dll = dir_.path() + u"CanonEosPlugin.dll";
  if (!CopyFileW(win::W(ProgramFolder() + u"CanonEosPlugin.dll"), win::W(dll), FALSE))
    throw std::runtime_error("cannot copy the plug-in");
  Load();
}

void PluginCopy::Reload() {
  module_.reset();
  entry_ = nullptr;
  Load();
}

void PluginCopy::Load() {
  module_.reset(LoadLibraryW(win::W(dir_.path() + u"CanonEosPlugin.dll")));
  if (!module_) throw std::runtime_error("cannot load the plug-in copy");
  entry_ = reinterpret_cast<const void*>(GetProcAddress(module_.get(), "Dll_ParamsW"));
  if (!entry_) throw std::runtime_error("the plug-in has no Dll_ParamsW");
}

CallResult PluginCopy::Call(int32_t cmd, const Text& text) const {
  win::UniqueBstr bstr(text.empty() ? nullptr : SysAllocStringLen(win::W(text), static_cast<UINT>(text.size())));
  const int32_t result = host::CallDllParamsW(entry_, cmd, bstr.in_out());
  return {result, win::FromWide(bstr.get(), SysStringLen(bstr.get()))};
}

}  // namespace eos::test
