#pragma once

#include <cstdint>
#include <string>

// Whole seconds of a clock text "hours:minutes:seconds[.fraction]", rounded
// half up; 0 when the text is not three ":"-separated fields.
int32_t parseClockTime(const std::string& text);
