#pragma once
// The timer resolution the library's time functions assume, chosen by the Windows version.

namespace dcomp {

// 19 below Windows Vista (and for unclassified systems), else 1000.
int TimerResolution();
// The value stored at initialisation; 0 before it.
int InitialTimerResolution();

void InitDateTimeEx();

}  // namespace dcomp
