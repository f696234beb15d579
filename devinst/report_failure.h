#pragma once

// Rewrites g_szError as "<prefix> FAILURE: <system text>\n", or "<prefix> FAILURE: (0x%08x)\n" when
// the system has no text for the thread's last-error code. Leaves that code as it found it.
void ReportFailure(const char* prefix);
