// Calls Dll_ParamsW the way a Delphi host does: the command in EAX, the address of the
// BSTR variable in EDX, the result back in EAX, nothing on the stack. The registers are
// loaded by hand so that a fault in the plug-in's convention cannot hide behind a shared
// C++ prototype.
#pragma once

#include <cstdint>

namespace eos::host {

inline int32_t CallDllParamsW(const void* entry, int32_t cmd, void* bstr_variable) {
  int32_t result;
  void* edx = bstr_variable;
  // The register convention lets the callee change EAX, EDX and ECX only.
  asm volatile("call *%[entry]" : "=a"(result), "+d"(edx) : [entry] "S"(entry), "a"(cmd) : "ecx", "memory", "cc");
  return result;
}

}  // namespace eos::host
