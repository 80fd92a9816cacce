#pragma once
// The two diagnostic channels. Neither shows anything or changes the course of the installation.

// Appends progress notes to setuplog.txt in the current folder. Off for the whole run:
// nothing in the installer switches it on; tests do, to see what it would write.
class SetupLog {
 public:
  virtual ~SetupLog() = default;
  void print(const char *format, ...) __attribute__((format(printf, 2, 3)));
  bool enabled = false;
};

// Accepts diagnostic texts from anywhere, copy threads included, and discards them.
class Trace {
 public:
  virtual ~Trace() = default;
  void print(const char *, ...) {}
};

extern SetupLog setupLog;
extern Trace trace;
