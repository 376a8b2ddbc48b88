#pragma once
// One last action when the process is ended by a signal: a crash (SIGSEGV,
// SIGBUS, SIGFPE, SIGILL), an abort (SIGABRT), SIGTERM or SIGINT. The action
// must be async-signal-safe. Afterwards the signal takes the course it had
// before (by default: the process ends, with a core dump where it would have
// left one). A signal that was ignored stays ignored.
void RunOnFatalSignals(void (*action)());
