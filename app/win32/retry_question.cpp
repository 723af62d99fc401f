#include "app/win32/retry_question.h"

#include <commctrl.h>

namespace tarvik {
namespace {

constexpr int kRunAsAdministratorButton = 100;

// Shows the shield on the button that asks for administrator rights.
HRESULT CALLBACK markElevation(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR) {
  if (notification == TDN_CREATED)
    SendMessageW(dialog, TDM_SET_BUTTON_ELEVATION_REQUIRED_STATE, kRunAsAdministratorButton, TRUE);
  return S_OK;
}

// Where the task dialog is missing (an old common-controls library), a message box asks the
// same without the administrator choice.
RetryAnswer askWithMessageBox(HWND owner, const std::wstring& text, const std::wstring& title) {
  const int pressed =
      MessageBoxW(owner, text.c_str(), title.c_str(), MB_RETRYCANCEL | MB_ICONWARNING);
  return pressed == IDRETRY ? RetryAnswer::kRetry : RetryAnswer::kCancel;
}

}  // namespace

RetryAnswer askRetryQuestion(HWND owner, const std::wstring& text, const std::wstring& title,
                             bool offerAdministrator) {
  const TASKDIALOG_BUTTON administrator{kRunAsAdministratorButton, L"Run as &administrator"};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_RETRY_BUTTON | TDCBF_CANCEL_BUTTON;
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = TD_WARNING_ICON;
  config.pszContent = text.c_str();
  config.nDefaultButton = offerAdministrator ? kRunAsAdministratorButton : IDRETRY;
  if (offerAdministrator) {
    config.pButtons = &administrator;
    config.cButtons = 1;
    config.pfCallback = markElevation;
  }
  int pressed = 0;
  if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr)))
    return askWithMessageBox(owner, text, title);
  if (pressed == kRunAsAdministratorButton) return RetryAnswer::kRunAsAdministrator;
  return pressed == IDRETRY ? RetryAnswer::kRetry : RetryAnswer::kCancel;
}

}  // namespace tarvik
