// A DLL that loads but offers only one of the automation library's functions: the program must
// refuse it like a missing library.
extern "C" __declspec(dllexport) int QorHost_Connect() { return 0; }
