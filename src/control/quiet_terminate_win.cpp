// Linked straight into the shipped binaries (not through a library) so that
// it takes the place of the C++ library's verbose terminate handler, which
// would bring the library's whole name demangler along to print the type of
// an exception nobody caught. Such an exception ends the process at once,
// as it would anyway; nothing here lets one escape on purpose.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
