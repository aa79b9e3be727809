// Asks the sanitizer build's leak checker, mid-run, whether memory that
// nothing points to any more has been left behind; it reports what it finds on
// standard error. Other builds have no checker and always answer false.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace VexirTest {

inline bool LeaksFound()
{
#if defined(__SANITIZE_ADDRESS__)
    return __lsan_do_recoverable_leak_check() != 0;
#else
    return false;
#endif
}

}  // namespace VexirTest
