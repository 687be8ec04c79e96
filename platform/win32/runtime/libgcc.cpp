// The compiler's helpers whose libgcc versions hold instructions a 486
// lacks (its __ctzdi2 uses tzcnt); the rest come from libgcc, checked clean
// in the final programs by tests/win95.
extern "C" int __ctzdi2(unsigned long long value) {
  auto low = static_cast<unsigned>(value);
  return low != 0 ? __builtin_ctz(low) : 32 + __builtin_ctz(static_cast<unsigned>(value >> 32));
}
