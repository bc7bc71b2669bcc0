#pragma once
// Names the calling thread as tools like top, gdb and the benchmarks show it (at most 15
// characters on Linux; longer names are cut).

namespace tarvisk {

void NameThisThread(const char* name);

}  // namespace tarvisk
