#include "app/win32/main_window.h"

#include <commctrl.h>

#include <vector>

#include "app/exit_codes.h"
#include "app/handlers.h"
#include "app/installer_texts.h"
#include "app/win32/banner_picture.h"
#include "app/win32/control_layout.h"
#include "app/win32/main_window_layout.h"
#include "app/win32/message_loop.h"
#include "app/win32/twips.h"
#include "app/win32/window_procedure.h"
#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"

namespace tarvik {
namespace {

constexpr wchar_t kWindowClass[] = L"TarvikInstallerMain";
// Fixed size; minimising allowed.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

void initialiseCommonControls() {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
}

std::size_t slot(ControlId control) { return static_cast<std::size_t>(control); }

// The centre of the work area of the primary monitor.
POINT centredOrigin(SIZE size) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return {work.left + (work.right - work.left - size.cx) / 2,
          work.top + (work.bottom - work.top - size.cy) / 2};
}

}  // namespace

MainWindow::MainWindow(WindowServices services)
    : services_(std::move(services)),
      dpi_(screenDpi()),
      fonts_(std::make_unique<WindowFonts>(dpi_)),
      picture_(loadBannerPicture()) {
  initialiseCommonControls();
  registerWindowClass(kWindowClass, windowProcedure<MainWindow>);
  const SIZE size = windowSizeForClient(kMainClientWidth, kMainClientHeight, kStyle, 0, dpi_);
  const std::wstring caption = widen(kWindowCaption);
  CreateWindowExW(0, kWindowClass, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                  size.cy, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  // Without its window the program would wait for messages that never come, unseen.
  if (!window_) throw RuntimeError(7, "Out of memory: the installer's window cannot be created");
  createControls();
  addListTooltips();
  registerDialogKeys(window_);
}

MainWindow::~MainWindow() {
  picker_.reset();
  if (tooltip_) DestroyWindow(tooltip_);
  if (window_) DestroyWindow(window_);
}

void MainWindow::createControls() {
  inTableOrder_ = tarvik::createControls(window_, mainWindowLayout(), *fonts_, dpi_);
  const auto layout = mainWindowLayout();
  for (std::size_t i = 0; i < layout.size(); ++i)
    controls_.at(static_cast<std::size_t>(layout[i].id - controlNumber(ControlId::Command1))) =
        inTableOrder_[i];
  list1_.attach(control(ControlId::List1));
  list2_.attach(control(ControlId::List2));
  // The discovery fills the lists before the window is shown: they draw from show() on.
  list1_.setDrawing(false);
  list2_.setDrawing(false);
  runProgress_.create(window_, dpi_);
  runDisplay_.attach(window_, control(ControlId::Label9));
}

void MainWindow::addListTooltips() {
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  std::wstring text = widen(kListTooltip);
  for (const ControlId list : {ControlId::List1, ControlId::List2}) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control(list));
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // Wide enough for the text on one line.
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 1000);
}

void MainWindow::show(int showCommand) {
  showListEntries();
  RECT frame{};
  GetWindowRect(window_, &frame);
  const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
  const POINT origin = centredOrigin(size);
  SetWindowPos(window_, nullptr, origin.x, origin.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The monitor it is on may have another scale than the one the system started with.
  if (const int dpi = windowDpi(window_); dpi != dpi_) changeDpi(dpi, origin);
  ShowWindow(window_, showCommand);
  SetForegroundWindow(window_);
  SetFocus(control(ControlId::Command1));
  UpdateWindow(window_);
}

void MainWindow::changeDpi(int dpi, POINT topLeft) {
  dpi_ = dpi;
  changeWindowDpi(window_, inTableOrder_, mainWindowLayout(), {kMainClientWidth, kMainClientHeight},
                  fonts_, dpi, topLeft);
  runProgress_.place(dpi);
  for (ListViewCheckList* list : {&list1_, &list2_}) list->fitColumn();
}

HWND MainWindow::control(ControlId control) const { return controls_.at(slot(control)); }

FolderPickerWindow& MainWindow::folderPicker() {
  if (!picker_)
    picker_ =
        std::make_unique<FolderPickerWindow>(window_, *this, services_, picture_.get(), dpi_);
  return *picker_;
}

void MainWindow::setVisible(ControlId control, bool visible) {
  ShowWindow(this->control(control), visible ? SW_SHOWNA : SW_HIDE);
}

// The status line shows the run's reports, paced; every other caption changes at once.
void MainWindow::setCaption(ControlId control, const std::string& caption) {
  if (control == ControlId::Label9)
    runDisplay_.setStatus(widen(caption));
  else
    SetWindowTextW(this->control(control), widen(caption).c_str());
}

void MainWindow::yield() { processPendingMessages(); }

void MainWindow::showMessage(const std::string& text, const std::string& title) {
  runDisplay_.drawNow();
  services_.messageBox(window_, widen(text), widen(title), MB_OK);
}

void MainWindow::showWarning(const std::string& text, const std::string& title) {
  runDisplay_.drawNow();
  runProgress_.showFailed();
  services_.messageBox(window_, widen(text), widen(title), MB_OK | MB_ICONWARNING);
}

void MainWindow::showRunProgress(uint64_t done, uint64_t total) {
  runDisplay_.setProgress(done, total);
}

void MainWindow::showFolderPicker() {
  folderPicker().showModal();
  showListEntries();
}

void MainWindow::showListEntries() {
  // Drawing first: the list then knows whether it needs its vertical scroll bar, whose width
  // the column must leave.
  for (ListViewCheckList* list : {&list1_, &list2_}) {
    list->setDrawing(true);
    list->fitColumn();
  }
}

RetryAnswer MainWindow::askRetry(const std::string& text, const std::string& title,
                                 bool offerAdministrator) {
  runDisplay_.drawNow();
  return services_.askRetry(window_, widen(text), widen(title), offerAdministrator);
}

void MainWindow::endProgram(int exitCode) { services_.endProgram(exitCode); }

void MainWindow::runInstallerHandler(void (Tarvik_installer_main::*handler)()) {
  // The buttons are hidden once the run has started; a click that still arrives is ignored.
  if (!installer_ || running()) return;
  runHandler(*this, [this, handler] { (installer_->*handler)(); });
}

void MainWindow::pressInstall() {
  const HWND button = control(ControlId::Command1);
  PostMessageW(window_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void MainWindow::onCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  if (id == controlNumber(ControlId::Command1))
    runInstallerHandler(&Tarvik_installer_main::Command1_Click);
  else if (id == controlNumber(ControlId::AddFolder))
    runInstallerHandler(&Tarvik_installer_main::AddFolder_Click);
}

LRESULT MainWindow::labelColours(HDC dc, HWND label) {
  const int id = GetDlgCtrlID(label);
  COLORREF colour = kDefaultTextColour;
  for (const ControlRow& row : mainWindowLayout()) {
    if (row.id == id) colour = row.textColour;
  }
  SetTextColor(dc, colour == kDefaultTextColour ? GetSysColor(COLOR_WINDOWTEXT) : colour);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT MainWindow::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      window_ = window;
      break;
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lParam);
      if (list1_.handleNotification(header) || list2_.handleNotification(header)) return 0;
      break;
    }
    case DM_GETDEFID:
      // Enter presses Command1 while it is there.
      if (IsWindowVisible(control(ControlId::Command1)))
        return MAKELRESULT(controlNumber(ControlId::Command1), DC_HASDEFID);
      return 0;
    case WM_TIMER:
      if (wParam != PacedRunDisplay::kTimerId) break;
      runDisplay_.drawWhenDue();
      return 0;
    case WM_CTLCOLORSTATIC:
      return labelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DPICHANGED: {
      if (!followsMonitorDpi(window)) break;
      const auto& suggested = *reinterpret_cast<const RECT*>(lParam);
      changeDpi(HIWORD(wParam), {suggested.left, suggested.top});
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != static_cast<UINT>(controlNumber(ControlId::Picture1))) break;
      drawPicture(item->hDC, item->rcItem, picture_.get(), dpi_);
      return TRUE;
    }
    case WM_ACTIVATE:
      // Keep the focus where it was, as a dialog box does.
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) focusBeforeDeactivation_ = focus;
      } else if (focusBeforeDeactivation_ && IsWindowVisible(focusBeforeDeactivation_)) {
        SetFocus(focusBeforeDeactivation_);
        return 0;
      }
      break;
    case WM_CLOSE:
      // A folder half updated must not be abandoned: closing waits for the end of the run.
      if (running()) return 0;
      DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      return running() ? FALSE : TRUE;
    case WM_DESTROY:
      tooltip_ = nullptr;  // an owned window: destroyed with this one
      // Closed before any run: nothing was updated.
      PostQuitMessage(exit_code::kCancelled);
      break;
    case WM_NCDESTROY:
      unregisterDialogKeys(window);
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tarvik
