#include "plugin/host_answer.h"

#include <system_error>
#include <utility>

namespace eos {
namespace {

// A string of `size` units to write an answer into; empty when there is no room.
win::UniqueBstr AnswerText(size_t size) {
  if (size > 0x7FFFFFFF / sizeof(OLECHAR)) return {};
  return win::UniqueBstr(SysAllocStringLen(nullptr, static_cast<UINT>(size)));
}

void WriteAnswer(const CaptureAnswerParts& answer, BSTR text) {
  static_assert(sizeof(OLECHAR) == sizeof(char16_t));
  answer.Write(reinterpret_cast<char16_t*>(text));
}

void Replace(BSTR* host, win::UniqueBstr text) { const win::UniqueBstr replaced(std::exchange(*host, text.release())); }

}  // namespace

bool ReplaceHostText(BSTR* host, const CaptureAnswerParts& answer) {
  win::UniqueBstr text = AnswerText(answer.Size());
  if (!text) return false;
  WriteAnswer(answer, text.get());
  Replace(host, std::move(text));
  return true;
}

AnswerWriter::~AnswerWriter() {
  if (worker_.joinable()) worker_.join();
}

void AnswerWriter::Start(CaptureAnswerParts answer) {
  started_ = true;
  answer_ = std::move(answer);
  text_ = AnswerText(answer_.Size());
  if (!text_) return;
  try {
    // Encoding does not allocate and cannot fail.
    worker_ = std::thread([this] { WriteAnswer(answer_, text_.get()); });
  } catch (const std::system_error&) {
    WriteAnswer(answer_, text_.get());  // no thread to spare: written here
  }
}

bool AnswerWriter::Finish(BSTR* host) {
  if (worker_.joinable()) worker_.join();
  if (!text_) return false;
  Replace(host, std::move(text_));
  return true;
}

}  // namespace eos
