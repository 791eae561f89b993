// Included first in every file of the program and its libraries (-include, see CMakeLists.txt).
// libstdc++ declares std::string and std::wstring as instantiated in the library (extern
// template), so any use links the library's string-inst.o or wstring-inst.o whole: MinGW's linker
// script keeps every unwind table, so --gc-sections cannot drop their unused members (about 30 KB
// each on x86). With those declarations off, the members that we use are instantiated in our own
// objects, a section each, and only they are linked. -1 is libstdc++'s own setting for this (the
// one _GLIBCXX_ASSERTIONS takes): no extern templates for basic_string; all others stay.
#pragma once
#include <bits/c++config.h>
#if _GLIBCXX_EXTERN_TEMPLATE > 0
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
#endif
