#include "config/setup_log.h"

#include <cstdarg>
#include <cstdio>

SetupLog setupLog;
Trace trace;

void SetupLog::print(const char *format, ...) {
  if (!enabled) return;
  // Text mode: every LF reaches the file as CR LF. Opened per note so that nothing is held between notes.
  FILE *file = std::fopen("setuplog.txt", "at");
  if (file == nullptr) return;
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::fputs(text, file);  // written as formatted: a percent sign in an argument stays as it is
  std::fclose(file);
}
