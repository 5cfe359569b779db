// Real-time safety of the bundle's audio path: while a watched audio thread
// runs the host sequences of the other reliability groups (block sizes 0 to
// 8192 and flushes without audio, hostile automation with Resolution
// switched every block and Bypass toggled, hostile samples, 32/64-bit
// alternation, processing stopped and restarted), nothing on that thread
// allocates, locks or enters the kernel. The latency reports go to a quiet
// component handler that itself does none of the three, so no exception is
// needed for them.
//
// How each is watched, all inside this program (no LD_PRELOAD):
// - heap: malloc, calloc, realloc, memalign, aligned_alloc, posix_memalign
//   and operator new are replaced here and count calls made on the watched
//   thread while it is armed;
// - locks: pthread mutex, rwlock, spin and condition waits and semaphore
//   waits are wrapped here the same way (exported from this program with
//   --export-dynamic-symbol so the bundle's calls bind to them);
// - system calls: the watched thread installs a seccomp filter that traps
//   every system call except those made from one gate instruction in this
//   file; the SIGSYS handler counts the call and re-issues it through the
//   gate, so the thread runs on normally.
// Each watcher is first shown to see the bundle (instance creation locks,
// allocates) and a plain system call.
#include <dlfcn.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <limits>
#include <new>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "host/parameter_changes.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/reliability_rig.h"
#include "tests/support/test_signals.h"

// Sanitizers replace the allocator and intercept locks themselves; there the
// watchers cannot be installed and the tests skip.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define RELIABILITY_WATCHERS 1
#endif

#if RELIABILITY_WATCHERS
namespace {

// Armed on the watched thread only; every watcher checks both.
thread_local bool tWatched = false;
std::atomic<bool> gArmed{false};
std::atomic<int> gAllocations{0}, gLocks{0}, gSyscalls{0};
constexpr int kSyscallLog = 32;
std::atomic<int> gSyscallNumbers[kSyscallLog];

inline bool watching() { return tWatched && gArmed.load(std::memory_order_relaxed); }

template <class F>
F real(F& slot, const char* name) {
  if (!slot) slot = reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
  return slot;
}

}  // namespace

// ---- Heap ----
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);

void* malloc(size_t size) {
  if (watching()) ++gAllocations;
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  if (watching()) ++gAllocations;
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  if (watching()) ++gAllocations;
  return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
  if (watching()) ++gAllocations;
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
  if (watching()) ++gAllocations;
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  if (watching()) ++gAllocations;
  *out = __libc_memalign(alignment, size);
  return *out ? 0 : ENOMEM;
}
}  // extern "C"

void* operator new(std::size_t size) {
  if (void* p = malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return malloc(size ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

// ---- Locks ----
#define RELIABILITY_WRAP_LOCK(name, params, args)               \
  extern "C" int name params {                                  \
    static int(*slot) params = nullptr;                          \
    if (watching()) ++gLocks;                                    \
    return real(slot, #name) args;                               \
  }
RELIABILITY_WRAP_LOCK(pthread_mutex_lock, (pthread_mutex_t * m), (m))
RELIABILITY_WRAP_LOCK(pthread_mutex_trylock, (pthread_mutex_t * m), (m))
RELIABILITY_WRAP_LOCK(pthread_mutex_timedlock, (pthread_mutex_t * m, const struct timespec* t), (m, t))
RELIABILITY_WRAP_LOCK(pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l))
RELIABILITY_WRAP_LOCK(pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l))
RELIABILITY_WRAP_LOCK(pthread_rwlock_tryrdlock, (pthread_rwlock_t * l), (l))
RELIABILITY_WRAP_LOCK(pthread_rwlock_trywrlock, (pthread_rwlock_t * l), (l))
RELIABILITY_WRAP_LOCK(pthread_spin_lock, (pthread_spinlock_t * l), (l))
RELIABILITY_WRAP_LOCK(pthread_spin_trylock, (pthread_spinlock_t * l), (l))
RELIABILITY_WRAP_LOCK(pthread_cond_wait, (pthread_cond_t * c, pthread_mutex_t* m), (c, m))
RELIABILITY_WRAP_LOCK(pthread_cond_timedwait, (pthread_cond_t * c, pthread_mutex_t* m, const struct timespec* t),
                      (c, m, t))
RELIABILITY_WRAP_LOCK(sem_wait, (sem_t * s), (s))
RELIABILITY_WRAP_LOCK(sem_trywait, (sem_t * s), (s))
RELIABILITY_WRAP_LOCK(sem_timedwait, (sem_t * s, const struct timespec* t), (s, t))
#undef RELIABILITY_WRAP_LOCK

// ---- System calls ----
// reliability_syscall_gate(nr, a0 .. a5): the one place the watched thread
// may enter the kernel; the filter knows the address right after its
// `syscall` instruction (reliability_syscall_gate_return).
extern "C" long reliability_syscall_gate(long nr, long a0, long a1, long a2, long a3, long a4, long a5);
extern "C" char reliability_syscall_gate_return[];
asm(R"(
  .text
  .globl reliability_syscall_gate
  .type reliability_syscall_gate, @function
reliability_syscall_gate:
  mov %rdi, %rax
  mov %rsi, %rdi
  mov %rdx, %rsi
  mov %rcx, %rdx
  mov %r8, %r10
  mov %r9, %r8
  mov 8(%rsp), %r9
  syscall
  .globl reliability_syscall_gate_return
reliability_syscall_gate_return:
  ret
  .size reliability_syscall_gate, . - reliability_syscall_gate
)");

namespace {

void onTrappedSyscall(int, siginfo_t* info, void* context) {
  greg_t* regs = static_cast<ucontext_t*>(context)->uc_mcontext.gregs;
  if (gArmed.load(std::memory_order_relaxed)) {
    const int n = gSyscalls.fetch_add(1);
    if (n < kSyscallLog) gSyscallNumbers[n] = info->si_syscall;
  }
  regs[REG_RAX] = reliability_syscall_gate(info->si_syscall, regs[REG_RDI], regs[REG_RSI], regs[REG_RDX],
                                           regs[REG_R10], regs[REG_R8], regs[REG_R9]);
}

// Traps every system call of the calling thread (and threads it starts)
// except rt_sigreturn and those made from the gate.
bool trapSystemCalls() {
  const uint64_t gate = reinterpret_cast<uint64_t>(reliability_syscall_gate_return);
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 0, 7),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_rt_sigreturn, 4, 0),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, instruction_pointer)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(gate), 0, 3),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, instruction_pointer) + 4),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(gate >> 32), 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

struct Counts {
  int allocations = 0, locks = 0, syscalls = 0;
  std::vector<int> syscallNumbers;
};

// Runs `body` on a new thread with every watcher on: `body` calls arm(true)
// around the work that must be real-time safe.
Counts watch(const std::function<void(const std::function<void(bool)>& arm)>& body) {
  struct sigaction action {}, previous{};
  action.sa_sigaction = onTrappedSyscall;
  action.sa_flags = SA_SIGINFO;
  sigaction(SIGSYS, &action, &previous);
  gAllocations = gLocks = gSyscalls = 0;
  bool trapped = false;
  std::thread watched([&] {
    trapped = trapSystemCalls();
    tWatched = true;
    body([](bool on) { gArmed.store(on, std::memory_order_relaxed); });
    gArmed = false;
    tWatched = false;
  });
  watched.join();
  sigaction(SIGSYS, &previous, nullptr);
  EXPECT_TRUE(trapped) << "seccomp filter refused";
  Counts counts{gAllocations.load(), gLocks.load(), gSyscalls.load(), {}};
  for (int i = 0; i < std::min(counts.syscalls, kSyscallLog); ++i) counts.syscallNumbers.push_back(gSyscallNumbers[i]);
  return counts;
}

// A component handler that only counts restart requests: no lock, no allocation.
class QuietHandler final : public Steinberg::Vst::IComponentHandler {
 public:
  std::atomic<int> latencyRestarts{0};
  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID, Steinberg::Vst::ParamValue) override {
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override {
    if (flags & Steinberg::Vst::kLatencyChanged) ++latencyRestarts;
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID, void** obj) override {
    *obj = nullptr;
    return Steinberg::kNoInterface;
  }
  Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
  Steinberg::uint32 PLUGIN_API release() override { return 1; }
};

}  // namespace
#endif  // RELIABILITY_WATCHERS

namespace {

using namespace Steinberg;
using reliability::RawAudio;

#if !RELIABILITY_WATCHERS
TEST(RealtimeWatchers, NeedAnUnsanitizedBuild) { GTEST_SKIP() << "allocator and lock watchers need a plain build"; }
#else
TEST(RealtimeWatchers, SeeTheBundleAndTheKernel) {
  const Counts counts = watch([](const std::function<void(bool)>& arm) {
    arm(true);
    auto plugin = bundletest::makePlugin();   // the creation lock, and the object on the heap
    syscall(SYS_getpid);
    arm(false);
  });
  EXPECT_GT(counts.allocations, 0);
  EXPECT_GT(counts.locks, 0);
  EXPECT_GE(counts.syscalls, 1);
}

std::string describe(const Counts& counts) {
  std::ostringstream text;
  text << counts.allocations << " allocations, " << counts.locks << " locks, " << counts.syscalls
       << " system calls:";
  for (int n : counts.syscallNumbers) text << ' ' << n;
  return text.str();
}

TEST(RealtimeSafety, EveryProcessingSequenceRunsWithoutHeapLocksOrSystemCalls) {
  bundletest::bundle();
  auto plugin = bundletest::makePlugin();
  QuietHandler quiet;
  plugin->controller()->setComponentHandler(&quiet);
  constexpr int kMax = 8192;
  RawAudio audio(kMax);
  vst3host::ParameterChanges changes;
  // Input material prepared up front: noise, then hostile samples.
  std::vector<double> material = testsignals::whiteNoise(1 << 16, 5, 1.0);
  const double hostile[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), 1e300, std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min(), 1e30, 0.0};
  for (size_t i = 0; i < material.size(); i += 37) material[i] = hostile[i % std::size(hostile)];
  const double rates[] = {1000.0, 44100.0, 96000.0, 768000.0};
  long processCalls = 0;
  std::mt19937 random(606);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };

  const Counts counts = watch([&](const std::function<void(bool)>& arm) {
    for (double rate : rates) {
      // Set-up belongs to the host's UI side: not watched.
      plugin->component()->setActive(false);
      Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample64, kMax, rate};
      plugin->processor()->setupProcessing(setup);
      plugin->component()->setActive(true);
      arm(true);
      plugin->processor()->setProcessing(true);
      for (int block = 0; block < 600; ++block) {
        const int kind = pick(0, 19);
        const int frames = kind == 0 ? 0 : kind == 1 ? kMax : kind == 2 ? 1 : pick(1, 4096);
        changes.clear();
        for (int q = pick(0, 6); q > 0; --q) {
          const int id = pick(0, reliability::kParams);
          const double value = pick(0, 9) == 0 ? std::numeric_limits<double>::quiet_NaN() : pick(-500, 1500) / 1000.0;
          changes.add(id == reliability::kParams ? reliability::kBypassId : static_cast<Vst::ParamID>(id),
                      frames > 0 ? pick(0, frames - 1) : 0, value);
        }
        changes.add(13, 0, pick(0, 2) / 2.0);   // Resolution, every block
        const size_t start = static_cast<size_t>(pick(0, static_cast<int>(material.size()) - kMax));
        for (int i = 0; i < frames; ++i) {
          audio.input(0)[i] = material[start + static_cast<size_t>(i)];
          audio.input(1)[i] = material[start + static_cast<size_t>(kMax - 1 - i)];
        }
        if (kind == 3)
          RawAudio::flush(plugin->processor(), &changes, pick(-16, 16));
        else
          audio.process(plugin->processor(), frames, pick(0, 1) == 1, &changes);
        if (kind == 4) {
          plugin->processor()->setProcessing(false);   // a reset on the audio thread
          plugin->processor()->setProcessing(true);
        }
        ++processCalls;
      }
      plugin->processor()->setProcessing(false);
      arm(false);
    }
  });
  plugin->controller()->setComponentHandler(nullptr);
  EXPECT_EQ(counts.allocations + counts.locks + counts.syscalls, 0) << describe(counts);
  EXPECT_EQ(processCalls, 2400);
  EXPECT_GT(quiet.latencyRestarts.load(), 100);   // the latency reports did happen while watched
}

#endif  // RELIABILITY_WATCHERS

}  // namespace
