// The two std::string members that libstdc++'s sso_string.o (the messages of its exception
// classes) calls, instantiated here so that the library's string-inst.o (all of std::string,
// about 30 KB on x86) stays out of the program.
#include <string>

template void std::string::_M_assign(const std::string&);
template std::string::pointer std::string::_M_create(std::string::size_type&,
                                                     std::string::size_type);
