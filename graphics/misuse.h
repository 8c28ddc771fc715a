// Reporting of calls that break a documented limit of the graphics layer.
#pragma once

// Says on standard error, in a debug build only, that a call was ignored
// because it broke a limit (a frame index, an array size, the matrix stack).
// Release builds stay silent: the call is simply dropped.
void kpGraphicsMisuse(const char* what);
