#pragma once
// The folder where a fuzz target writes the files it reads back: one per process, in memory (/dev/shm) where
// the machine has it, since a run writes it thousands of times a second; removed when the fuzzer ends.

#include "support/TempDir.h"

#include <cstdlib>
#include <unistd.h>

namespace clinova::fuzz {

inline const test::TempDir &FuzzFolder() {
    static const bool inMemory = [] {
        if (::access("/dev/shm", W_OK) == 0)
            ::setenv("TMPDIR", "/dev/shm", 1);
        return true;
    }();
    (void)inMemory;
    static const test::TempDir folder;
    return folder;
}

} // namespace clinova::fuzz
