// Hosts built with other compilers keep the 32-bit stack aligned to 4 bytes only, while this
// compiler's vector code likes 16 (and the widest frame path 64). The module must realign for
// itself: here its callbacks are entered with the stack pointer off 16-byte alignment by 4, 8
// and 12 bytes and must work exactly as when entered aligned. (64-bit Windows always aligns the
// stack to 16 bytes at a call, so there is nothing to skew there.)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/curve_data.h"
#include "tests/win/module_test_support.h"
#include "tools/filterhost/module_host.h"

namespace {

// Calls fn(args[0], ..., args[count - 1]) with the C convention, after aligning the stack to 16
// bytes and lowering it by `pad` bytes before the arguments go on.
extern "C" uint32_t CallWithPad(const void* fn, const uint32_t* args, uint32_t count,
                                uint32_t pad);
__asm__(
    ".text\n"
    ".globl _CallWithPad\n"
    "_CallWithPad:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 8(%ebp), %eax\n"
    "  movl 12(%ebp), %edi\n"
    "  movl 16(%ebp), %ecx\n"
    "  movl %esp, %esi\n"
    "  andl $-16, %esp\n"
    "  subl 20(%ebp), %esp\n"
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  pushl -4(%edi,%ecx,4)\n"
    "  decl %ecx\n"
    "  jmp 1b\n"
    "2:\n"
    "  call *%eax\n"
    "  movl %esi, %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebp\n"
    "  ret\n");

// The call with the stack pointer at the call instruction `skew` bytes below a 16-byte boundary
// (skew 0 is the aligned call).
uint32_t CallSkewed(const void* fn, const uint32_t* args, uint32_t count, uint32_t skew) {
  return CallWithPad(fn, args, count, (16 - 4 * count % 16) % 16 + skew);
}

uint32_t Word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

struct Outcome {
  std::vector<int32_t> lut;
  std::string script;
  std::vector<uint32_t> frame;
};

// Restores a curve through the script function, saves it with fssProc and maps a frame with
// runProc, every callback entered with the given skew. On luma the curve goes in through the
// seven-argument call, with a green curve beside it, so that the frame takes the luma step after
// the channel tables.
Outcome RunCallbacks(FilterHost& host, uint32_t skew, bool luma) {
  Outcome outcome;
  FilterDefinition* const filter = host.filters()[0];
  FilterInstance instance;
  std::string error;
  EXPECT_TRUE(instance.Create(filter, &host.services(), error)) << error;
  FilterActivation& fa = instance.activation();

  char points[] = "10f0202040a06040809aa0b0c0d0e8ee", green[] = "80a0", none[] = "";
  char* texts[4] = {points, none, luma ? green : none, none};
  CScriptValue argv[7];
  std::memset(argv, 0, sizeof argv);
  for (int i = 0; i < 7; ++i) {
    argv[i].type = i >= 1 && i <= 4 ? CScriptValue::T_STR : CScriptValue::T_INT;
    if (i >= 1 && i <= 4) argv[i].u.s = &texts[i - 1];
  }
  argv[6].u.i = kTargetLuma709;
  const uint32_t argc = luma ? 7 : 2;
  const uint32_t scriptArgs[] = {0, Word(&fa), Word(argv), argc};
  CallSkewed(reinterpret_cast<const void*>(filter->script_obj->func_list[luma ? 2 : 0].func_ptr),
             scriptArgs, 4, skew);
  const CurveData& data = *reinterpret_cast<const CurveData*>(instance.block());
  outcome.lut.assign(data.lut, data.lut + kLutSize);

  char text[kScriptBufferLength];
  const uint32_t fssArgs[] = {Word(&fa), Word(&host.services()), Word(text), sizeof text};
  const uint32_t saved =
      CallSkewed(reinterpret_cast<const void*>(filter->fssProc), fssArgs, 4, skew);
  EXPECT_EQ(saved & 0xFF, 1u);
  outcome.script = text;

  // A wide frame so that every frame path runs its main loop, not only its row ends.
  const int32_t width = 1000, height = 3;
  std::vector<uint32_t> src(static_cast<size_t>(width) * height), dst(src.size(), 0);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint32_t>(i * 2654435761u);
  VFBitmap srcBitmap{}, dstBitmap{};
  srcBitmap.data = src.data();
  srcBitmap.w = width;
  srcBitmap.h = height;
  dstBitmap.data = dst.data();
  dstBitmap.w = width;
  dstBitmap.h = height;
  FilterActivation frameActivation = fa;
  frameActivation.src = &srcBitmap;
  frameActivation.dst = &dstBitmap;
  const uint32_t runArgs[] = {Word(&frameActivation), Word(&host.services())};
  EXPECT_EQ(CallSkewed(reinterpret_cast<const void*>(filter->runProc), runArgs, 2, skew), 0u);
  outcome.frame = dst;
  return outcome;
}

TEST(StackAlignment, CallbacksWorkWithTheStackAlignedToFourBytesOnly) {
  FilterHost host;
  std::string error;
  // The original interface: the frame below is a bitmap of that interface.
  ASSERT_TRUE(host.Load(ModulePath(), kOriginalHostVersion, error)) << error;
  for (const bool luma : {false, true}) {
    const Outcome aligned = RunCallbacks(host, 0, luma);
    EXPECT_EQ(aligned.script, luma ? "Config(0,\"10f0202040a06040809aa0b0c0d0e8ee\",\"\",\"80a0\","
                                     "\"\",0,1)"
                                   : "Config(0,\"10f0202040a06040809aa0b0c0d0e8ee\")");
    for (const uint32_t skew : {4u, 8u, 12u}) {
      const Outcome skewed = RunCallbacks(host, skew, luma);
      EXPECT_EQ(skewed.lut, aligned.lut) << skew;
      EXPECT_EQ(skewed.script, aligned.script) << skew;
      EXPECT_EQ(skewed.frame, aligned.frame) << skew;
    }
  }
}

}  // namespace
