// The answer's way into the host's string.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <thread>

#include "plugin/core/capture_answer.h"
#include "win/handles.h"

namespace eos {

// Writes `answer` straight into a new string of its final length, which replaces the
// host's; false, with the host's string as it was, when there is no room for it.
bool ReplaceHostText(BSTR* host, const CaptureAnswerParts& answer);

// Writes a picture's answer into a new string of its final length on a thread of its own,
// so that the caller lets go of the dialog and the camera meanwhile; Finish then puts it
// in place of the host's string.
class AnswerWriter {
 public:
  AnswerWriter() = default;
  ~AnswerWriter();
  AnswerWriter(const AnswerWriter&) = delete;
  AnswerWriter& operator=(const AnswerWriter&) = delete;

  void Start(CaptureAnswerParts answer);
  bool Started() const { return started_; }
  // Waits for the writing; false, with the host's string as it was, when there was no
  // room for the answer.
  bool Finish(BSTR* host);

 private:
  CaptureAnswerParts answer_;
  win::UniqueBstr text_;
  std::thread worker_;
  bool started_ = false;
};

}  // namespace eos
