#pragma once

extern "C" {
// Called with the launch arguments; returns what the platform gets back:
// 0 on success, else the low 16 bits of the failure result.
int OspMain(int argc, char* pArgv[]);
}
