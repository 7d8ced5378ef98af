#pragma once
// Modal dialogs: message boxes, Yes/No questions and the error window.

#include <cstddef>
#include <string>
#include <vector>

namespace vl {

// The buttons of the error window. Copy and Clear leave the window open: the caller acts on them
// and shows it again.
enum class EErrorAnswer { Abort, Ignore, Copy, Clear };

class TDialogs {
public:
  virtual ~TDialogs() = default;
  // The application title: the caption of message boxes and windows.
  virtual void SetTitle(const std::string& title) = 0;
  // A message box with an OK button; waits until the user closes it.
  virtual void ShowMessage(const std::string& text) = 0;
  // A Yes/No question; true for Yes. Headless answers defaultYes.
  virtual bool AskYesNo(const std::string& text, bool defaultYes) = 0;
  // The error window ("Error Messages") showing lines, of which the newest message starts at
  // `first`; waits for Abort (the default), Ignore (offered only when ignoreVisible), Copy or Clear.
  // Copy has put the lines on the clipboard when it returns.
  virtual EErrorAnswer ShowError(const std::vector<std::string>& lines, size_t first, bool ignoreVisible) = 0;
};

} // namespace vl
