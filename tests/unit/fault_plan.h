// Numbers the platform calls of one run and makes the failAt-th fail: the sweeps run a whole
// run once for every k.
#pragma once

#include <string>

struct FaultPlan {
    int failAt = 0;  // 0: none fails
    int calls = 0;
    std::string failed;  // the name of the call that failed

    bool fails(const char* name) {
        ++calls;
        if (calls != failAt) {
            return false;
        }
        failed = name;
        return true;
    }
};
