#pragma once
// What the two hostile-input tests share: a check that leaves the test
// function when a checking helper failed, and the editor's default image.

#include "TestSupport.h"
#include "tests/TestImages.h"

// Runs a checking helper and leaves the test function when it failed.
#define CHECKED(call)                                                                                                  \
    do {                                                                                                               \
        call;                                                                                                          \
        if (QTest::currentTestFailed())                                                                                \
            return;                                                                                                    \
    } while (false)
