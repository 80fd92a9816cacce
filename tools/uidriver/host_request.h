#pragma once
// Requests to the script that runs the driver on the host (outside Wine): screenshots, swapping
// the disc in the drive. The host watches the folder named by INST_E2E_IPC (a Unix path); the driver
// puts "req-N.txt" there holding one line, the host answers with "ack-N.txt" holding "ok" or the
// reason of a failure.
#include <windows.h>

#include <string>

// True when a host watches for requests.
bool HostAvailable();

// Sends one request and waits for the answer. False when the host refused it or did not answer.
bool HostRequest(const std::wstring &request, DWORD timeoutMs, std::wstring &answer);

// A Unix path as Wine shows it (Z:\...), a Windows path unchanged; always with a final backslash.
std::wstring WindowsFolder(const std::wstring &folder);
