// Linked only into a deliberately unfit copy of the module, tonarc_with_exceptions.vdf, so that the
// module-file check is seen to catch what it looks for. Built with exceptions and run-time types:
// the throw brings in the unwinder, the personality, the terminate handler and type information;
// the global is built by a static initialiser, and DllMain is run, when the file is loaded.
#include <windows.h>

#include <cstdlib>

int CheckedLevel(int level) {
  if (level < 0) throw level;
  return level;
}

int levelAtLoad = CheckedLevel(std::getenv("TONARC_LEVEL") != nullptr ? -1 : 1);

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
