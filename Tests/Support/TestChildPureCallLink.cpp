// MinGW object files refer to the runtime's pure-call entry point only weakly,
// which an import library does not satisfy. A strong reference from an object
// file of its own (in the file with the virtual tables the reference would stay
// weak) links the library's hook. Elsewhere it changes nothing.
extern "C" void __cxa_pure_virtual();

void (*volatile g_keepPureCallHook)() = &__cxa_pure_virtual;
