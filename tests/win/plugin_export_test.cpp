// The export as a Delphi host sees it: registers, BSTRs and the command table.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "base/paramtext.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

#if defined(_WIN64)
struct Registers {
  uint64_t rbx, rsi, rdi, r12, r13, r14, r15;
};

// One call as a Win64 host makes it (the command in ECX, the variable's address in RDX, 32
// bytes of shadow space, the stack aligned to 16) with the registers the convention keeps
// set to known values, read back after the call.
int32_t CallWatchingRegisters(const void* entry, int32_t cmd, BSTR* var, Registers& r) {
  auto rax = reinterpret_cast<uintptr_t>(entry);  // the target in, the result out
  Registers* out = &r;
  asm volatile(
      "pushq %[out]\n\t"
      "subq $40, %%rsp\n\t"
      "movabsq $0x1B1B1B1B1B1B1B1B, %%rbx\n\t"
      "movabsq $0x5E5E5E5E5E5E5E5E, %%rsi\n\t"
      "movabsq $0xD1D1D1D1D1D1D1D1, %%rdi\n\t"
      "movabsq $0x1212121212121212, %%r12\n\t"
      "movabsq $0x1313131313131313, %%r13\n\t"
      "movabsq $0x1414141414141414, %%r14\n\t"
      "movabsq $0x1515151515151515, %%r15\n\t"
      "call *%%rax\n\t"
      "addq $40, %%rsp\n\t"
      "popq %%r11\n\t"
      "movq %%rbx, 0(%%r11)\n\t"
      "movq %%rsi, 8(%%r11)\n\t"
      "movq %%rdi, 16(%%r11)\n\t"
      "movq %%r12, 24(%%r11)\n\t"
      "movq %%r13, 32(%%r11)\n\t"
      "movq %%r14, 40(%%r11)\n\t"
      "movq %%r15, 48(%%r11)\n\t"
      : "+a"(rax), "+c"(cmd), "+d"(var)
      : [out] "m"(out)
      : "rbx", "rsi", "rdi", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15", "xmm0", "xmm1", "xmm2", "xmm3",
        "xmm4", "xmm5", "memory", "cc");
  return static_cast<int32_t>(rax);
}

TEST(Export, Win64ConventionKeepsTheCalleeSavedRegisters) {
  PluginCopy plugin;
  for (int32_t cmd : {99, 98, 3, 42, 9}) {
    win::UniqueBstr text(SysAllocString(L"A=1\t"));
    Registers r{};
    EXPECT_EQ(CallWatchingRegisters(plugin.entry(), cmd, text.in_out(), r), 0) << cmd;
    EXPECT_EQ(r.rbx, 0x1B1B1B1B1B1B1B1Bu) << cmd;
    EXPECT_EQ(r.rsi, 0x5E5E5E5E5E5E5E5Eu) << cmd;
    EXPECT_EQ(r.rdi, 0xD1D1D1D1D1D1D1D1u) << cmd;
    EXPECT_EQ(r.r12, 0x1212121212121212u) << cmd;
    EXPECT_EQ(r.r13, 0x1313131313131313u) << cmd;
    EXPECT_EQ(r.r14, 0x1414141414141414u) << cmd;
    EXPECT_EQ(r.r15, 0x1515151515151515u) << cmd;
  }
}
#else
struct Registers {
  uint32_t ebx, esi, edi, esp_before, esp_after;
};

// One call with EBX, ESI and EDI set to known values and ESP recorded around the call:
// the register convention keeps the first three and takes nothing from the stack.
int32_t CallWatchingRegisters(const void* entry, int32_t cmd, BSTR* var, Registers& r) {
  int32_t result;
  const void* target = entry;
  asm volatile(
      "movl $0x1B1B1B1B, %%ebx\n\t"
      "movl $0x5E5E5E5E, %%esi\n\t"
      "movl $0xD1D1D1D1, %%edi\n\t"
      "movl %%esp, %[sp0]\n\t"
      "call *%%ecx\n\t"
      "movl %%esp, %[sp1]\n\t"
      "movl %%ebx, %[b]\n\t"
      "movl %%esi, %[s]\n\t"
      "movl %%edi, %[d]\n\t"
      : "=a"(result), "+d"(var), "+c"(target), [b] "=m"(r.ebx), [s] "=m"(r.esi), [d] "=m"(r.edi),
        [sp0] "=m"(r.esp_before), [sp1] "=m"(r.esp_after)
      : "a"(cmd)
      : "ebx", "esi", "edi", "memory", "cc");
  return result;
}

TEST(Export, RegisterConventionKeepsCalleeSavedRegistersAndStack) {
  PluginCopy plugin;
  for (int32_t cmd : {99, 98, 3, 42, 9}) {
    win::UniqueBstr text(SysAllocString(L"A=1\t"));
    Registers r{};
    const int32_t result = CallWatchingRegisters(plugin.entry(), cmd, text.in_out(), r);
    EXPECT_EQ(result, 0) << cmd;
    EXPECT_EQ(r.ebx, 0x1B1B1B1Bu) << cmd;
    EXPECT_EQ(r.esi, 0x5E5E5E5Eu) << cmd;
    EXPECT_EQ(r.edi, 0xD1D1D1D1u) << cmd;
    EXPECT_EQ(r.esp_before, r.esp_after) << cmd;
  }
}

// The stdcall thunk the README gives C# hosts, byte for byte: (entry, cmd, &bstr) loads
// EAX and EDX and calls the export.
TEST(Export, TheReadmesThunkForHostsWithoutTheRegisterConventionCallsTheExport) {
  static constexpr unsigned char kCode[] = {0x55, 0x8B, 0xEC, 0x8B, 0x45, 0x0C, 0x8B, 0x55,
                                            0x10, 0xFF, 0x55, 0x08, 0x5D, 0xC2, 0x0C, 0x00};
  const auto free_code = [](void* p) { VirtualFree(p, 0, MEM_RELEASE); };
  const std::unique_ptr<void, decltype(free_code)> code(
      VirtualAlloc(nullptr, sizeof kCode, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE), free_code);
  ASSERT_NE(code, nullptr);
  std::memcpy(code.get(), kCode, sizeof kCode);
  using Thunk = int32_t(__stdcall*)(const void* entry, int32_t cmd, BSTR* text);
  const auto thunk = reinterpret_cast<Thunk>(code.get());

  PluginCopy plugin;
  win::UniqueBstr text(SysAllocString(L"ping"));
  EXPECT_EQ(thunk(plugin.entry(), 99, text.in_out()), 0);
  EXPECT_EQ(win::FromWide(text.get(), SysStringLen(text.get())), u"ping hopp");
}

#endif

TEST(Export, OnlyOneFunctionalExport) {
  PluginCopy plugin;
  HMODULE m = GetModuleHandleW(win::W(plugin.folder() + u"CanonEosPlugin.dll"));
  ASSERT_NE(m, nullptr);
  auto* base = reinterpret_cast<BYTE*>(m);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  ASSERT_EQ(exports->NumberOfNames, 1u);
  const auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
  EXPECT_STREQ(reinterpret_cast<const char*>(base + names[0]), "Dll_ParamsW");
}

TEST(Export, EchoKeepsEveryCodeUnit) {
  PluginCopy plugin;
  const Text texts[] = {
      Text(),
      u"A=1\tB=2\t",
      u"line1\r\nline2\rline3\n",
      Text(u"nul\0inside\0", 11),
      u"\u00C5\u00C4\u00D6 \u20AC \U0001F4F7",
      Text(1, char16_t(0xD800)) + u"lone" + Text(1, char16_t(0xDFFF)),
  };
  for (const Text& t : texts) {
    const CallResult r = plugin.Call(99, t);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.text == t + u" hopp") << ToUtf8(t);
  }
}

TEST(Export, TenMegabyteText) {
  PluginCopy plugin;
  Text big(5u << 20, u'x');
  for (size_t i = 0; i < big.size(); i += 1000) big[i] = u'\t';
  const CallResult echo = plugin.Call(99, big);
  ASSERT_EQ(echo.text.size(), big.size() + 5);
  EXPECT_TRUE(echo.text.compare(0, big.size(), big) == 0);
  const CallResult stored = plugin.Call(4, big);
  EXPECT_EQ(stored.result, 0);
  EXPECT_TRUE(plugin.Call(3, Text()).text == big);
}

TEST(Commands, TableOfSimpleCommands) {
  constexpr const char16_t* kNoSdk = u"Connection to camera failed: EDSDK.DLL could not be loaded";
  PluginCopy plugin;
  struct Case {
    int32_t cmd;
    const char16_t* in;
    int32_t result;
    const char16_t* out;
  };
  const Case cases[] = {
      {99, u"", 0, u" hopp"},
      {99, u"abc", 0, u"abc hopp"},
      {42, u"keep\tme", 0, u"keep\tme"},
      {-1, u"x", 0, u"x"},
      {5, u"Take picture=Ta bild", 0, u"Take picture=Ta bild"},
      {6, u"CanSettings=0", 0, u"CanSettings=0"},
      {9, u"unchanged", 0, u"unchanged"},
      // No SDK beside this copy of the plug-in: the runs fail with the connection's error.
      {1, u"File=C:\\x.jpg", -1, kNoSdk},
      {11, u"File=C:\\x.jpg", -1, kNoSdk},
      {2, u"", -1, kNoSdk},
  };
  for (const Case& c : cases) {
    const CallResult r = plugin.Call(c.cmd, c.in);
    EXPECT_EQ(r.result, c.result) << c.cmd;
    EXPECT_TRUE(r.text == c.out) << c.cmd << ": " << ToUtf8(r.text);
  }
}

TEST(Commands, SetThenGetSettingsReturnsTheSameText) {
  PluginCopy plugin;
  EXPECT_EQ(plugin.Call(3, u"ignored").text, u"");
  const Text settings = u"Quality=Large Fine\tDelay=3\tAngle=90\t";
  EXPECT_EQ(plugin.Call(4, settings).text, settings);
  EXPECT_EQ(plugin.Call(3, u"ignored").text, settings);
  EXPECT_EQ(plugin.Call(4, u"").result, 0);
  EXPECT_EQ(plugin.Call(3, u"x").text, u"");
}

TEST(Commands, VersionsWithoutSdk) {
  PluginCopy plugin;
  const CallResult r = plugin.Call(98, u"");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.text, u"Version=3.1\tCamRemoteVersion=8.2\t");
}

TEST(Commands, VersionsReplaceInPlaceAndKeepOtherKeys) {
  PluginCopy plugin;
  const CallResult r = plugin.Call(98, u"Other=1\tVersion=old\tSDKVersion=stale\tLast=2");
  EXPECT_EQ(r.text, u"Other=1\tVersion=3.1\tLast=2\tCamRemoteVersion=8.2\t");
}

TEST(Commands, VersionsFindTheSdkThroughPath) {
  PluginCopy plugin;
  // Any library with a version resource will do as the SDK: the plug-in itself.
  const Text sdk = plugin.folder() + u"Canon_EOS_SDK_redist\\";
  ASSERT_TRUE(CreateDirectoryW(win::W(sdk), nullptr));
  ASSERT_TRUE(CopyFileW(win::W(ProgramFolder() + u"CanonEosPlugin.dll"), win::W(sdk + u"EDSDK.DLL"), FALSE));
  const CallResult r = plugin.Call(98, u"Version=x\t");
  EXPECT_EQ(r.text, u"Version=3.1\tSDKVersion=3.1.0.4\tCamRemoteVersion=8.2\t");
}

class PluginLog : public testing::Test {
 protected:
  Text LogPath() const { return plugin_.folder() + u"eoslog.txt"; }
  std::string Log() const { return ReadFileBytes(LogPath()); }
  PluginCopy plugin_;
};

// "yyyy-mm-dd hh:nn:ss " in front of each line, CR LF after it.
std::vector<std::string> LogMessages(const std::string& log) {
  std::vector<std::string> messages;
  size_t start = 0;
  for (size_t end = log.find("\r\n"); end != std::string::npos; end = log.find("\r\n", start)) {
    const std::string line = log.substr(start, end - start);
    EXPECT_GE(line.size(), 20u);
    EXPECT_EQ(line[4], '-');
    EXPECT_EQ(line[10], ' ');
    EXPECT_EQ(line[13], ':');
    EXPECT_EQ(line[19], ' ');
    messages.push_back(line.substr(20));
    start = end + 2;
  }
  EXPECT_EQ(start, log.size()) << "the log ends with CR LF";
  return messages;
}

TEST_F(PluginLog, OffWhileTheFileIsMissing) {
  plugin_.Call(98, u"");
  plugin_.Call(9, u"");
  EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(PluginLog, FreeTwiceLogsEachStep) {
  WriteFileBytes(LogPath(), "");
  EXPECT_EQ(plugin_.Call(9, u"").result, 0);
  EXPECT_EQ(plugin_.Call(9, u"").result, 0);
  const std::vector<std::string> once = {"CanonEosSDKParams - ctEos_Free 1", "CanonEosSDKParams - ctEos_Free 2",
                                         "CanonEosSDKParams - ctEos_Free 3", "DoCanonSDKFree",
                                         "DoCanonSDKFree allready done",     "CanonEosSDKParams - ctEos_Free 4"};
  std::vector<std::string> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(LogMessages(Log()), twice);
}

TEST_F(PluginLog, FirstVersionCommandRestartsTheLogOnce) {
  WriteFileBytes(LogPath(), "old line from yesterday\r\n");
  plugin_.Call(98, u"");
  EXPECT_EQ(LogMessages(Log()), std::vector<std::string>{"Init"});
  plugin_.Call(98, u"");
  plugin_.Call(9, u"");
  const std::vector<std::string> messages = LogMessages(Log());
  ASSERT_EQ(messages.size(), 7u);
  EXPECT_EQ(messages[0], "Init");
  EXPECT_EQ(messages[1], "CanonEosSDKParams - ctEos_Free 1");
}

TEST_F(PluginLog, LockedOrReadOnlyLogLosesLinesOnly) {
  WriteFileBytes(LogPath(), "");
  {
    win::UniqueFile lock(CreateFileW(win::W(LogPath()), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(plugin_.Call(9, u"").result, 0);
    EXPECT_EQ(plugin_.Call(98, u"").text, u"Version=3.1\tCamRemoteVersion=8.2\t");
  }
  ASSERT_TRUE(SetFileAttributesW(win::W(LogPath()), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(plugin_.Call(9, u"").result, 0);
  SetFileAttributesW(win::W(LogPath()), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace eos::test
