// Entry of the GUI test program. It runs on a virtual desktop of its own, and a crash fails the
// run at once: under wine an unhandled fault would otherwise start the debugger and the dialog
// would wait until the CTest timeout.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  std::fprintf(stderr, "gui_tests: unhandled exception 0x%08lx at %p\n",
               static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
               info->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  ExitProcess(3);
}

// Wine hands the windows of its default desktop to the X window manager and, each time a window is
// hidden, waits up to two seconds for the manager to confirm; a virtual X display has no manager.
// A desktop of our own, which wine shows as one X window of the size registered for its name,
// avoids that wait and keeps these windows apart from any other wine program running at the same
// time. The size is registered only until the desktop exists.
void UseOwnDesktop() {
  char name[64];
  std::snprintf(name, sizeof name, "tonarc-gui-%lu", GetCurrentProcessId());
  HKEY sizes = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &sizes, nullptr) != ERROR_SUCCESS) {
    return;
  }
  static const char kSize[] = "1024x768";
  RegSetValueExA(sizes, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(kSize), sizeof kSize);
  HDESK desktop = CreateDesktopA(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  if (desktop != nullptr && SetThreadDesktop(desktop)) GetDesktopWindow();
  RegDeleteValueA(sizes, name);
  RegCloseKey(sizes);
}

}  // namespace

int main(int argc, char** argv) {
  SetUnhandledExceptionFilter(ReportCrash);
  UseOwnDesktop();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
