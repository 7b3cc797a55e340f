// Threads of the library keep the module loaded while they run: the program may unload
// the library while a long poll or a job is still finishing, and the thread must not
// return into unmapped code.
#pragma once

#include <functional>

namespace qor {

// Starts body on a new thread (detached). False when no thread could be made.
bool StartLibraryThread(std::function<void()> body);

}  // namespace qor
