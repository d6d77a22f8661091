#include "tools/filterhost/configure.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

constexpr char kPreviewClass[] = "filterhost preview";

// The host's preview for one open dialog. The filter chain here is the one instance: every
// RedoFrame runs it on the picture from start to end, so UndoSystem and RedoSystem (which tear the
// chain down and build it up again) have nothing left to do.
class PicturePreview : public IFilterPreview {
 public:
  PicturePreview(FilterInstance& instance, const Picture& picture)
      : instance_(instance), picture_(picture) {}
  ~PicturePreview() { Close(); }
  PicturePreview(const PicturePreview&) = delete;
  PicturePreview& operator=(const PicturePreview&) = delete;

  void SetButtonCallback(void (*callback)(bool, void*), void* context) override {
    buttonCallback_ = callback;
    buttonContext_ = context;
  }
  void SetSampleCallback(void (*)(void*, int32_t, int32_t, void*), void*) override {}
  bool isPreviewEnabled() override { return window_ != nullptr && IsWindowVisible(window_); }
  void Toggle(HWND parent) override { Display(parent, !isPreviewEnabled()); }
  void Display(HWND parent, bool show) override {
    if (show == isPreviewEnabled()) return;
    if (show) {
      if (window_ == nullptr && !Create(parent)) return;
      Render();
      ShowWindow(window_, SW_SHOWNOACTIVATE);
    } else {
      ShowWindow(window_, SW_HIDE);
    }
    if (button_ != nullptr) SetWindowTextA(button_, show ? "Hide" : "Preview");
    if (buttonCallback_ != nullptr) buttonCallback_(show, buttonContext_);
  }
  void RedoFrame() override {
    if (isPreviewEnabled()) Render();
  }
  void RedoSystem() override {}
  void UndoSystem() override {}
  void InitButton(HWND button) override {
    button_ = button;
    if (button_ != nullptr) EnableWindow(button_, TRUE);
  }
  void Close() override {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
  }
  bool SampleCurrentFrame() override { return false; }
  int32_t SampleFrames() override { return 0; }

  // The last failure of the filter while rendering, if any.
  const std::string& error() const { return error_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PicturePreview*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
      case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
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

  bool Create(HWND owner) {
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

  void Render() {
    std::string error;
    if (!instance_.Start(picture_.width, picture_.height, error) ||
        !instance_.Run(picture_.pixels.data(), mapped_, error) || !instance_.End(error)) {
      error_ = error;
      mapped_.clear();
    }
    if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
  }

  void Paint(HWND window) {
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

  FilterInstance& instance_;
  const Picture& picture_;
  std::vector<uint32_t> mapped_;
  HWND window_ = nullptr;
  HWND button_ = nullptr;
  void (*buttonCallback_)(bool, void*) = nullptr;
  void* buttonContext_ = nullptr;
  std::string error_;
};

}  // namespace

bool ConfigureInstance(FilterInstance& instance, const FilterFunctions& services,
                       const Picture& picture, std::string& error) {
  FilterDefinition* const filter = instance.filter();
  if (filter->configProc == nullptr) {
    error = "the filter has no configuration dialog";
    return false;
  }
  PicturePreview preview(instance, picture);
  FilterActivation& activation = instance.activation();
  activation.ifp = &preview;
  const int result = filter->configProc(&activation, &services, nullptr);
  preview.Close();
  activation.ifp = nullptr;
  // Hosts read 0 as "done"; a dialog that cannot be made comes back as the platform's -1.
  if (result == -1) {
    error = "the configuration dialog could not be opened";
    return false;
  }
  if (!preview.error().empty()) {
    error = "preview: " + preview.error();
    return false;
  }
  return true;
}
