// The program's terminate handler, in place of the runtime's verbose one.
//
// GCC's default handler writes the name of the exception that ended the program to stderr, and
// for that links the C++ name demangler: about 45 KB, a fifth of the whole program. Quorvane is a
// windowed program with no console, so that text never reached anyone; what the user sees is the
// same abnormal end that the default handler comes to after writing it.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
