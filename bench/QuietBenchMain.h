#pragma once
// main() of the benchmark programs of the serial link: the shared one, with
// the debug log and the traces switched off. Include once per program.
#define TARN_BENCH_QUIET
#include "bench/BenchMain.h"
