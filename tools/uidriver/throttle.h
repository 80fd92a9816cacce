#pragma once
// Slows a program down as a slow machine or a slow CD-ROM drive would: the program may run for a
// share of every tenth of a second and is suspended for the rest. Copying the small sample files
// then takes long enough to be seen, to be photographed and to be cancelled half-way.
#include <windows.h>

class Throttle {
 public:
  Throttle() = default;
  virtual ~Throttle();
  Throttle(const Throttle &) = delete;
  Throttle &operator=(const Throttle &) = delete;

  // percent: the share of time the process runs (1..99); starts or retunes the throttle.
  bool start(HANDLE process, int percent);
  // Lets the process run freely again.
  void stop();

 private:
  static DWORD WINAPI loop(void *self);

  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  HANDLE stopEvent_ = nullptr;
  volatile LONG runMs_ = 100;
};
