// The one fault plan the tests put behind the file layer's seam: it fails
// the nth call (1-based) of one operation or of any, once or from then on,
// and counts every call it sees. Installed only through ScopedFaultHook,
// which puts back whatever hook was there before. Needs no test framework,
// so the fuzz targets share it.
#ifndef CPUNINST_TESTS_SUPPORT_FAULT_PLAN_H
#define CPUNINST_TESTS_SUPPORT_FAULT_PLAN_H

#include <array>
#include <optional>
#include <vector>

#include "platform/fault.h"

namespace test_support {

inline constexpr std::size_t kFileOps = static_cast<std::size_t>(platform::FileOp::kReplace) + 1;

inline constexpr std::size_t OpIndex(platform::FileOp op) { return static_cast<std::size_t>(op); }

struct FaultPlan {
  enum class Mode { kOnce, kPersistent };

  std::optional<platform::FileOp> op;  // nullopt: every operation counts
  int failAt = 0;                      // 0: nothing fails
  Mode mode = Mode::kOnce;
  // False: the system has no one-step replace (Windows 95); kReplace then
  // always fails and is not counted as a call.
  bool oneStep = true;
  // Called where a call is about to fail: a plan that ends the process there.
  void (*onFault)() = nullptr;

  int seen = 0;  // calls counted against failAt
  std::array<int, kFileOps> calls{};  // every call, by operation
  std::array<bool, kFileOps> failed{};  // the operations that were failed

  static FaultPlan Once(platform::FileOp op, int nth) { return {op, nth}; }
  static FaultPlan From(platform::FileOp op, int nth) { return {op, nth, Mode::kPersistent}; }
  static FaultPlan AnyOnce(int nth) { return {std::nullopt, nth}; }
  static FaultPlan AnyFrom(int nth) { return {std::nullopt, nth, Mode::kPersistent}; }
  // Fails nothing: only counts.
  static FaultPlan Counting() { return {}; }

  bool Fired() const {
    for (bool one : failed) {
      if (one) return true;
    }
    return false;
  }
  bool Failed(platform::FileOp which) const { return failed[OpIndex(which)]; }
  int Calls(platform::FileOp which) const { return calls[OpIndex(which)]; }

  bool Decide(platform::FileOp call) {
    ++calls[OpIndex(call)];
    if (call == platform::FileOp::kReplace && !oneStep) return true;
    if (op && call != *op) return false;
    ++seen;
    bool fail = failAt > 0 && (seen == failAt || (mode == Mode::kPersistent && seen > failAt));
    if (!fail) return false;
    if (onFault != nullptr) onFault();
    failed[OpIndex(call)] = true;
    return true;
  }

  static bool Hook(platform::FileOp call, const char*, void* context) {
    return static_cast<FaultPlan*>(context)->Decide(call);
  }
};

// Several plans at once, each counting the calls of its own operation: the
// call fails when any of them says so.
struct FaultPlans {
  std::vector<FaultPlan> plans;

  static bool Hook(platform::FileOp call, const char*, void* context) {
    bool fail = false;
    for (FaultPlan& plan : static_cast<FaultPlans*>(context)->plans) fail = plan.Decide(call) || fail;
    return fail;
  }
};

// Installs a hook for its own lifetime and then restores the one before it,
// with its context, so scopes nest.
class ScopedFaultHook {
 public:
  ScopedFaultHook(platform::FaultHook hook, void* context)
      : previousHook_(platform::SetFaultHook(hook, context)), previousContext_(Context()) {
    Context() = context;
  }
  explicit ScopedFaultHook(FaultPlan& plan) : ScopedFaultHook(&FaultPlan::Hook, &plan) {}
  explicit ScopedFaultHook(FaultPlans& plans) : ScopedFaultHook(&FaultPlans::Hook, &plans) {}
  ~ScopedFaultHook() {
    platform::SetFaultHook(previousHook_, previousContext_);
    Context() = previousContext_;
  }
  ScopedFaultHook(const ScopedFaultHook&) = delete;
  ScopedFaultHook& operator=(const ScopedFaultHook&) = delete;

 private:
  // The seam hands back the previous hook but not its context.
  static void*& Context() {
    static void* context = nullptr;
    return context;
  }

  platform::FaultHook previousHook_;
  void* previousContext_;
};

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_FAULT_PLAN_H
