// The operations' line buffer sizes, NUL included: a piece is one byte less,
// and a scratch name must fit the buffer of the operation that builds it.
#ifndef CPUNINST_PROFILE_LINE_BUFFERS_H
#define CPUNINST_PROFILE_LINE_BUFFERS_H

#include <cstddef>

namespace profile {

inline constexpr std::size_t kLineBuffer = 128;         // every operation but line removal
inline constexpr std::size_t kLineRemovalBuffer = 200;  // FileDeleteLine

}  // namespace profile

#endif  // CPUNINST_PROFILE_LINE_BUFFERS_H
