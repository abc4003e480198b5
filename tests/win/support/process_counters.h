// What a host process holds: GDI and USER objects, kernel handles, threads, private bytes,
// and the TLS indexes still free. Wine answers 0 for the GUI resources and the handle
// count; there the live objects are found by asking about every value one can have.
#pragma once

#include <windows.h>

namespace eos::test {

struct ProcessCounters {
  DWORD gdi = 0, user = 0, handles = 0, threads = 0;
  double private_mb = 0;
};
ProcessCounters ReadProcessCounters();

// The kernel handles of this process.
DWORD KernelHandleCount();

// How many more TLS indexes this process could allocate.
DWORD FreeTlsIndexes();

}  // namespace eos::test
