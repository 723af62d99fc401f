#include "tests/win32/window_test_support.h"

#include <commctrl.h>

#include "app/handlers.h"
#include "app/win32/banner_bytes.h"
#include "app/win32/banner_picture.h"
#include "app/win32/gdi_handles.h"
#include "platform/win32/win32_platform.h"

namespace tarvik::testing {

WindowServices Recorder::services() {
  return {
      [this](HWND, const std::wstring& text, const std::wstring& title, UINT style) {
        messages.push_back({text, title, style});
      },
      [](HWND, const std::wstring&, const std::wstring&, bool) { return RetryAnswer::kCancel; },
      [this](int code) {
        ++programEnds;
        exitCode = code;
      },
  };
}

namespace {

constexpr char kFs2000Key[] = "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0";

}  // namespace

QuitMessageDrain::~QuitMessageDrain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

LiveInstallerWindow::LiveInstallerWindow() {
  temp.writeSized("addon20/scenery/qiro.bgl", 1071681);
  temp.makeFolder("addon20/texture");
  temp.writeSized("addon21/scenery/qiro.bgl", 1040543);
  temp.makeFolder("addon21/texture");
  temp.write("fs2000/scenery.cfg", "[Area.001]\r\nLocal=" + path("addon20") +
                                       "\r\n[Area.002]\r\nLocal=" + path("addon21") + "\r\n");
  registry.setString(kFs2000Key, "path", path("fs2000"));

  files = makeWin32FileSystem();
  access = makeWin32WriteAccess();
  window = std::make_unique<MainWindow>(recorder.services());
  // No archive can be read from a file that is not there.
  installer = std::make_unique<Tarvik_installer_main>(*window, registry, *files, *access,
                                                      path("missing\\tarvik_installer.exe"));
  window->attach(*installer);
  runHandler(*window, [this] { installer->Form_Load(); });
  window->show(SW_SHOWNORMAL);
}

std::string LiveInstallerWindow::path(const std::string& relative) const {
  return (temp.path() / relative).make_preferred().string();
}

RECT rectInParent(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SIZE clientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right, rect.bottom};
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[256]{};
  GetClassNameW(window, name, 256);
  return name;
}

bool hasStyle(HWND window, LONG style) {
  return (GetWindowLongW(window, GWL_STYLE) & style) == style;
}

std::wstring listViewText(HWND list, int item) {
  wchar_t buffer[1024]{};
  LVITEMW request{};
  request.pszText = buffer;
  request.cchTextMax = 1024;
  SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&request));
  return buffer;
}

void sendListInput(HWND list, int item, ListInput input) {
  ListView_SetItemState(list, item, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  if (input == ListInput::kSpace) {
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
    return;
  }
  RECT bounds{}, label{};
  ListView_GetItemRect(list, item, &bounds, LVIR_BOUNDS);
  ListView_GetItemRect(list, item, &label, LVIR_LABEL);
  const bool onCheckBox = input == ListInput::kClickCheckBox;
  const LPARAM point = MAKELPARAM(onCheckBox ? (bounds.left + label.left) / 2 : label.left + 10,
                                  (bounds.top + bounds.bottom) / 2);
  for (const UINT press : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
    SendMessageW(list, press, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
    if (onCheckBox) return;
  }
}

std::vector<std::wstring> listBoxEntries(HWND list) {
  std::vector<std::wstring> entries;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    entries.push_back(text);
  }
  return entries;
}

std::vector<std::wstring> comboBoxEntries(HWND combo) {
  std::vector<std::wstring> entries;
  const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    entries.push_back(text);
  }
  return entries;
}

namespace {

// A 32-bit top-down bitmap filled with magenta, selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0));
    dc_ = std::make_unique<MemoryDc>(nullptr, bitmap_.get());
    for (int i = 0; i < width * height; ++i) bits_[i] = 0x00FF00FF;
  }
  HDC dc() const { return dc_->get(); }
  std::vector<COLORREF> pixels() const {
    GdiFlush();
    std::vector<COLORREF> result;
    for (int i = 0; i < width_ * height_; ++i) {
      const uint32_t pixel = bits_[i];
      result.push_back(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));
    }
    return result;
  }

 private:
  int width_;
  int height_;
  uint32_t* bits_ = nullptr;
  UniqueBitmap bitmap_;
  std::unique_ptr<MemoryDc> dc_;
};

}  // namespace

std::vector<COLORREF> drawPictureBox(HWND owner, HWND picture, int width, int height) {
  Canvas canvas(width, height);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(picture));
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = picture;
  item.hDC = canvas.dc();
  GetClientRect(picture, &item.rcItem);
  SendMessageW(owner, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  return canvas.pixels();
}

std::vector<COLORREF> drawClient(HWND control, int width, int height) {
  Canvas canvas(width, height);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
  return canvas.pixels();
}

namespace {

uint32_t little(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

}  // namespace

// Decoded here from the file's bytes (8 bits per pixel with a colour table, or 24 bits), apart
// from the program's own decoding.
std::vector<COLORREF> bannerPixels(int& width, int& height) {
  const unsigned char* file = kBannerBitmap;
  const uint32_t pixelsAt = little(file + 10, 4);
  const uint32_t headerSize = little(file + 14, 4);
  width = static_cast<int>(little(file + 18, 4));
  height = static_cast<int>(little(file + 22, 4));
  const uint32_t bitsPerPixel = little(file + 28, 2);
  const unsigned char* palette = file + 14 + headerSize;
  const std::size_t rowBytes = ((static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32) * 4;
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    const unsigned char* row =
        file + pixelsAt + rowBytes * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const unsigned char* bgr = bitsPerPixel == 8 ? palette + 4 * row[x] : row + 3 * x;
      pixels.push_back(RGB(bgr[2], bgr[1], bgr[0]));
    }
  }
  return pixels;
}

}  // namespace tarvik::testing
