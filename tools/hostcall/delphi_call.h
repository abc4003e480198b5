// Calls Dll_ParamsW the way a Delphi host does. In 32 bits that is the register
// convention: the command in EAX, the address of the BSTR variable in EDX, the result back
// in EAX, nothing on the stack; the registers are loaded by hand so that a fault in the
// plug-in's convention cannot hide behind a shared C++ prototype. In 64 bits Windows has
// one convention, which Delphi's Win64 compiler and .NET use for the same declaration: a
// plain call through a function pointer.
#pragma once

#include <cstdint>

namespace eos::host {

inline int32_t CallDllParamsW(const void* entry, int32_t cmd, void* bstr_variable) {
#if defined(_WIN64)
  using Entry = int32_t (*)(int32_t, void*);
  // GetProcAddress hands out an untyped address; the export's declaration fixes its type.
  return reinterpret_cast<Entry>(const_cast<void*>(entry))(cmd, bstr_variable);
#else
  int32_t result;
  void* edx = bstr_variable;
  // The register convention lets the callee change EAX, EDX and ECX only.
  asm volatile("call *%[entry]" : "=a"(result), "+d"(edx) : [entry] "S"(entry), "a"(cmd) : "ecx", "memory", "cc");
  return result;
#endif
}

}  // namespace eos::host
