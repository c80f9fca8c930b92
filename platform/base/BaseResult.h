#pragma once

namespace Osp::Base {

// Platform result codes: 0 is success; the high bit marks a failure.
using result = unsigned long;

} // namespace Osp::Base

using result = Osp::Base::result;

inline constexpr result E_SUCCESS = 0;
inline constexpr result E_FAILURE = 0x80000001;
inline constexpr result E_INVALID_ARG = 0x80000002;
inline constexpr result E_OUT_OF_RANGE = 0x80000003;
inline constexpr result E_INVALID_STATE = 0x80000004;
inline constexpr result E_OUT_OF_MEMORY = 0x80000005;
inline constexpr result E_OBJ_NOT_FOUND = 0x80000006;
inline constexpr result E_INVALID_ENCODING_RANGE = 0x80000007;
inline constexpr result E_IO = 0x80000008;
inline constexpr result E_ILLEGAL_ACCESS = 0x80000009;
inline constexpr result E_SYSTEM = 0x8000000A;
inline constexpr result E_ALREADY_EXIST = 0x8000000B;
inline constexpr result E_MAX_EXCEEDED = 0x8000000C;
inline constexpr result E_STORAGE_FULL = 0x8000000D;
inline constexpr result E_INVALID_SESSION = 0x8000000E;
inline constexpr result E_CONNECTION_FAILED = 0x8000000F;
inline constexpr result E_TIMEOUT = 0x80000010;
inline constexpr result E_UNSUPPORTED_FORMAT = 0x80000011;
inline constexpr result E_OVERFLOW = 0x80000012;
inline constexpr result E_NETWORK_UNAVAILABLE = 0xA0000784;

#define IsFailed(r) ((r) != E_SUCCESS)

// The result of the last platform call on this thread that reports one this way.
result GetLastResult();
void SetLastResult(result r);
