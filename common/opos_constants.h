#pragma once
// OPOS values as the standard defines them.
#include <cstdint>

namespace pos::opos {

inline constexpr std::int32_t OPOS_SUCCESS = 0;
inline constexpr std::int32_t OPOS_E_CLOSED = 101;
inline constexpr std::int32_t OPOS_E_CLAIMED = 102;
inline constexpr std::int32_t OPOS_E_NOTCLAIMED = 103;
inline constexpr std::int32_t OPOS_E_NOSERVICE = 104;
inline constexpr std::int32_t OPOS_E_DISABLED = 105;
inline constexpr std::int32_t OPOS_E_ILLEGAL = 106;
inline constexpr std::int32_t OPOS_E_NOHARDWARE = 107;
inline constexpr std::int32_t OPOS_E_OFFLINE = 108;
inline constexpr std::int32_t OPOS_E_NOEXIST = 109;
inline constexpr std::int32_t OPOS_E_EXISTS = 110;
inline constexpr std::int32_t OPOS_E_FAILURE = 111;
inline constexpr std::int32_t OPOS_E_TIMEOUT = 112;
inline constexpr std::int32_t OPOS_E_BUSY = 113;
inline constexpr std::int32_t OPOS_E_EXTENDED = 114;

inline constexpr std::int32_t OPOS_S_CLOSED = 1;
inline constexpr std::int32_t OPOS_S_IDLE = 2;

inline constexpr std::int32_t OPOS_FOREVER = -1;

inline constexpr std::int32_t PIDX_Claimed = 1;
inline constexpr std::int32_t PIDX_DeviceEnabled = 3;
inline constexpr std::int32_t PIDX_FreezeEvents = 4;
inline constexpr std::int32_t PIDX_ServiceObjectVersion = 8;
inline constexpr std::int32_t PIDX_CheckHealthText = 1000001;

inline constexpr std::int32_t PTR_S_RECEIPT = 2;

// Health check levels and the printer's status-update values.
inline constexpr std::int32_t OPOS_CH_INTERNAL = 1;
inline constexpr std::int32_t OPOS_CH_EXTERNAL = 2;
inline constexpr std::int32_t OPOS_CH_INTERACTIVE = 3;
inline constexpr std::int32_t PTR_SUE_COVER_OPEN = 11;
inline constexpr std::int32_t PTR_SUE_COVER_OK = 12;
inline constexpr std::int32_t PTR_SUE_REC_EMPTY = 24;
inline constexpr std::int32_t PTR_SUE_REC_NEAREMPTY = 25;
inline constexpr std::int32_t PTR_SUE_REC_PAPEROK = 26;

}  // namespace pos::opos
