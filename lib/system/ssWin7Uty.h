// Shared utilities of the start-up unit.
#pragma once
#include <cstdint>

// Sleeps 1 ms and processes pending window messages, again and again, until more than ms
// milliseconds have passed.
void PumpMessages(std::uint32_t ms);
