// Basic types and numbers of the socket layer: address families, reuse modes and
// the socket option numbers that callers pass to the stack.
#pragma once

#include <cstdint>

namespace vornel {

enum TNetIPVersion { Net_IPv4 = 0, Net_IPv6 = 1 };

enum TNetReuseSocket { rsOSDependent = 0, rsTrue = 1, rsFalse = 2 };

// A platform socket; Net_INVALID_SOCKET when there is none.
using TNetStackSocketHandle = int;
inline constexpr TNetStackSocketHandle Net_INVALID_SOCKET = -1;
inline constexpr int Net_SOCKET_ERROR = -1;

// Address family numbers of the two IP versions.
inline constexpr int Net_PF_INET4 = 2;
inline constexpr int Net_PF_INET6 = 23;

// Socket types.
inline constexpr int Net_SOCK_STREAM = 1;
inline constexpr int Net_SOCK_DGRAM = 2;

// Option levels and options as callers name them; the stack maps them to the
// operating system's numbers.
inline constexpr int Net_SOL_SOCKET = 0xFFFF;
inline constexpr int Net_SO_REUSEADDR = 4;
inline constexpr int Net_SO_KEEPALIVE = 8;
inline constexpr int Net_SO_SNDTIMEO = 0x1005;
inline constexpr int Net_SO_RCVTIMEO = 0x1006;
inline constexpr int Net_SO_TYPE = 0x1008;
// Its value is the time in seconds that closing waits for unsent data (0: the
// connection is reset), negative for no lingering.
inline constexpr int Net_SO_LINGER = 0x0080;
inline constexpr int Net_IPPROTO_TCP = 6;
inline constexpr int Net_TCP_NODELAY = 1;

inline constexpr int Net_SO_True = 1;
inline constexpr int Net_SO_False = 0;

// Sending direction for shutdown.
inline constexpr int Net_SD_Send = 1;

}  // namespace vornel
