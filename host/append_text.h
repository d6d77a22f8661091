// Text built by appending pieces into a buffer the caller has sized for the longest result.
#pragma once

// Copies text without its terminator to out and returns the position just after it.
inline char* AppendText(char* out, const char* text) {
  while (*text != '\0') *out++ = *text++;
  return out;
}
