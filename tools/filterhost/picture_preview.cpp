#include "tools/filterhost/picture_preview.h"

#include <cstring>

namespace {

constexpr char kPreviewClass[] = "filterhost preview";

// Row padding of the sampled frame, unlike the instance's own bitmaps, so a dialog that reads it
// without its pitch shows that.
constexpr int32_t kSamplePaddingPixels = 7;

}  // namespace

void PicturePreview::SetButtonCallback(ButtonCallback callback, void* context) {
  buttonCallback_ = callback;
  buttonContext_ = context;
}

void PicturePreview::SetSampleCallback(SampleCallback callback, void* context) {
  sampleCallback_ = callback;
  sampleContext_ = context;
}

bool PicturePreview::isPreviewEnabled() {
  return window_ != nullptr && IsWindowVisible(window_);
}

void PicturePreview::Toggle(HWND parent) { Display(parent, !isPreviewEnabled()); }

void PicturePreview::Display(HWND parent, bool show) {
  if (show == isPreviewEnabled()) return;
  if (show) {
    if (window_ == nullptr && !Create(parent)) return;
    Render();
    ShowWindow(window_, SW_SHOWNOACTIVATE);
  } else {
    ShowWindow(window_, SW_HIDE);
  }
  ButtonShows(show);
}

void PicturePreview::RedoFrame() {
  if (isPreviewEnabled()) Render();
}

void PicturePreview::InitButton(HWND button) {
  button_ = button;
  if (button_ != nullptr) EnableWindow(button_, TRUE);
}

void PicturePreview::Close() {
  const bool shown = isPreviewEnabled();
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
  if (shown) ButtonShows(false);
}

bool PicturePreview::SampleCurrentFrame() {
  if (!isPreviewEnabled() || sampleCallback_ == nullptr) return false;
  // Filled again for every sample: whatever a callback wrote into the last one is gone.
  if (sample_.storage.empty()) {
    sample_.Allocate(picture_.width, picture_.height, kSamplePaddingPixels);
  }
  for (int32_t y = 0; y < picture_.height; ++y) {
    std::memcpy(sample_.Row(y), picture_.pixels.data() + static_cast<size_t>(y) * picture_.width,
                static_cast<size_t>(picture_.width) * 4);
  }
  sampleCallback_(&sample_.bitmap, 0, 1, sampleContext_);
  Render();
  return true;
}

void PicturePreview::ButtonShows(bool shown) {
  if (button_ != nullptr) SetWindowTextA(button_, shown ? "Hide" : "Preview");
  if (buttonCallback_ != nullptr) buttonCallback_(shown, buttonContext_);
}

LRESULT CALLBACK PicturePreview::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = reinterpret_cast<PicturePreview*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT:
      if (self != nullptr) {
        self->Paint(window);
        return 0;
      }
      break;
    case WM_CLOSE:
      // The window's own close box hides it, as the dialog's Preview button would.
      if (self != nullptr) {
        self->Display(GetWindow(window, GW_OWNER), false);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      // Destroyed along with the dialog that owns it.
      if (self != nullptr && self->window_ == window) self->window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool PicturePreview::Create(HWND owner) {
  WNDCLASSA cls = {};
  cls.lpfnWndProc = WindowProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.lpszClassName = kPreviewClass;
  RegisterClassA(&cls);  // fails harmlessly when already registered

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT frame = {0, 0, picture_.width, picture_.height};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  RECT beside = {0, 0, 0, 0};
  if (owner != nullptr) GetWindowRect(owner, &beside);
  window_ = CreateWindowExA(0, kPreviewClass, "Preview", style, beside.right + 8, beside.top,
                            frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                            GetModuleHandleA(nullptr), this);
  return window_ != nullptr;
}

void PicturePreview::Render() {
  std::string error;
  if (!instance_.Start(picture_.width, picture_.height, error) ||
      !instance_.Run(picture_.pixels.data(), mapped_, error) || !instance_.End(error)) {
    error_ = error;
    mapped_.clear();
  }
  if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
}

void PicturePreview::Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const int32_t w = instance_.outputWidth(), h = instance_.outputHeight();
  if (!mapped_.empty() && mapped_.size() == static_cast<size_t>(w) * h) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, mapped_.data(), &info, DIB_RGB_COLORS);
  } else {
    FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  EndPaint(window, &ps);
}
