// Stand-ins for broken filter modules, so the tests can see how a host copes with them. One
// source built three ways: FAKE_REFUSE (the entry reports failure), FAKE_NO_FILTER (it succeeds
// without registering anything), FAKE_NO_DEINIT (the exit entry is missing).
#include "host/filter_abi.h"

extern "C" __declspec(dllexport) int VirtualdubFilterModuleInit2(FilterModule*,
                                                                 const FilterFunctions*,
                                                                 int& version, int& compatible) {
  version = 8;
  compatible = 4;
#if defined(FAKE_REFUSE)
  return 1;
#else
  return 0;
#endif
}

#if !defined(FAKE_NO_DEINIT)
extern "C" __declspec(dllexport) void VirtualdubFilterModuleDeinit(FilterModule*,
                                                                   const FilterFunctions*) {}
#endif
