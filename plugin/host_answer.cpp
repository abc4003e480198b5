#include "plugin/host_answer.h"

#include <utility>

#include "win/handles.h"

namespace eos {

bool ReplaceHostText(BSTR* host, const CaptureAnswerParts& answer) {
  const size_t size = answer.Size();
  if (size > 0x7FFFFFFF / sizeof(OLECHAR)) return false;
  win::UniqueBstr text(SysAllocStringLen(nullptr, static_cast<UINT>(size)));
  if (!text) return false;
  static_assert(sizeof(OLECHAR) == sizeof(char16_t));
  answer.Write(reinterpret_cast<char16_t*>(text.get()));
  const win::UniqueBstr replaced(std::exchange(*host, text.release()));
  return true;
}

}  // namespace eos
