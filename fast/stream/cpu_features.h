// What this processor runs: the one question to it for the whole fast
// engine, asked once per process and used by the draws' path (cpu_dispatch.h)
// and by the batch engine's lanes (fast/batch/batch_path.h).
//
// The vector code is compiled with per-function target attributes, never
// with build flags, and the attribute decides which instructions the
// compiler may emit in a function: not only its intrinsics but also what it
// chooses for the plain code around them.  So each attribute is written
// here once, beside the check of everything it names, and a function with
// one of them is called only where that check holds.  Every path gives the
// same bytes; which one runs changes only the speed.
#ifndef DREVEL_FAST_STREAM_CPU_FEATURES_H
#define DREVEL_FAST_STREAM_CPU_FEATURES_H

namespace drevel {

// The instruction sets the fast engine's vector code is compiled for (the
// kernel in fast/bounds/fast_kernel_avx2.cc, below this layer, spells the
// AVX2 attribute itself).
//
// AVX2: the stream's fill and attempt words, the kernel, the batch lanes.
#define DREVEL_TARGET_AVX2 __attribute__((target("avx2")))
// AVX-512F with DQ: the stream's fill (the 64-bit multiply and the 64-bit
// integer to double conversion are DQ).
#define DREVEL_TARGET_AVX512_F_DQ __attribute__((target("avx512f,avx512dq")))
// AVX-512F with VL, BW and DQ: the batch engine's walk (gathers, scatters
// and mask registers: F) and block kernel (vectors of eight doubles, where
// the compiler also takes the narrower forms of VL and the 64-bit
// conversions of DQ).
#define DREVEL_TARGET_AVX512_F_VL_BW_DQ __attribute__((target("avx512f,avx512vl,avx512bw,avx512dq")))

// The processor's extensions that the attributes above name; all false on
// other processors than x86.
struct cpu_features {
  bool avx2 = false;
  bool avx512f = false;
  bool avx512dq = false;
  bool avx512vl = false;
  bool avx512bw = false;

  // Whether code of each attribute runs here.  The AVX-512 attributes let
  // the compiler use AVX2 as well (GCC and clang take AVX-512F to imply it).
  bool runs_avx2() const { return avx2; }
  bool runs_avx512_f_dq() const { return avx2 && avx512f && avx512dq; }
  bool runs_avx512_f_vl_bw_dq() const { return runs_avx512_f_dq() && avx512vl && avx512bw; }
};

// This processor's answer, asked on the first call (safe from any thread)
// and the same for the rest of the process.
const cpu_features& processor_features();

}  // namespace drevel

#endif
