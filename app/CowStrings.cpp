// Compiled with _GLIBCXX_USE_CXX11_ABI=0 (see CMakeLists.txt).
// libstdc++'s exception classes (std::logic_error and the rest, which its std::__throw_* functions
// raise) keep their messages in the old copy-on-write std::string. Instantiating here the seven
// members that they call keeps the library's cow-string-inst.o (every such member, about 31 KB on
// x86) out of the program, and random.o with it.
#include <string>

using CowString = std::basic_string<char>;
using CowAlloc = std::allocator<char>;
template CowString::_Rep* CowString::_Rep::_S_create(CowString::size_type, CowString::size_type,
                                                     const CowAlloc&);
template void CowString::_Rep::_M_destroy(const CowAlloc&) throw();
template void CowString::_Rep::_M_dispose(const CowAlloc&);
template char* CowString::_Rep::_M_clone(const CowAlloc&, CowString::size_type);
template char* CowString::_S_construct(CowString::size_type, char, const CowAlloc&);
template void CowString::swap(CowString&);
template CowString& CowString::assign(const CowString&);
