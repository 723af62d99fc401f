#pragma once
// The MS-DOS date and time of an entry: local time in 2-second steps from 1980 on.

#include <cstdint>

#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {

inline LocalTime localTimeOf(uint16_t dosDate, uint16_t dosTime) {
  return LocalTime{1980 + (dosDate >> 9), (dosDate >> 5) & 0x0F, dosDate & 0x1F,
                   dosTime >> 11,         (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2};
}

}  // namespace tarvik::unziplib
