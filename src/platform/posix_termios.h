#pragma once

// termios2 lives in the kernel headers, which clash with glibc's <termios.h>:
// code that includes this speaks ioctl only (TCGETS2, TCSETS2).
#include <asm/termbits.h>

#include "platform/serial_port.h"

// The speed of a termios record in baud (BOTHER or a B constant); 0 if unknown.
int BaudOf(const termios2& t);
// Standard speeds as their B constant, any other through BOTHER; input speed
// follows output speed.
void SetBaud(termios2& t, int baud);
// Speed, character format and flow control of `s` into `t`; everything else
// in `t` stays.
void ApplyLineSettings(termios2& t, const LineSettings& s);
