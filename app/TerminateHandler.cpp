// How the programs end on an error that nothing catches: at once, as the runtime's own handlers
// would end them, without the code that only describes the error.
//
// GCC's default terminate handler writes the name of the exception that ended the program to
// stderr, and for that links the C++ name demangler: about 45 KB, a fifth of a program. The
// library's throw helpers (a string too long, allocation failed, ...) build exception objects
// whose messages bring in whole copies of the library's string classes: about 50 KB more. Neither
// program catches any exception, so every throw ends in the terminate handler; ending there
// directly is the same abnormal end, and no text of it would help a user of either program.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx

// Every throw helper of the library's functexcept unit, so that the unit is never linked.
namespace std {

[[noreturn]] void __throw_bad_exception() {
    std::abort();
}
[[noreturn]] void __throw_bad_alloc() {
    std::abort();
}
[[noreturn]] void __throw_bad_array_new_length() {
    std::abort();
}
[[noreturn]] void __throw_bad_cast() {
    std::abort();
}
[[noreturn]] void __throw_bad_typeid() {
    std::abort();
}
[[noreturn]] void __throw_logic_error(const char*) {
    std::abort();
}
[[noreturn]] void __throw_domain_error(const char*) {
    std::abort();
}
[[noreturn]] void __throw_invalid_argument(const char*) {
    std::abort();
}
[[noreturn]] void __throw_length_error(const char*) {
    std::abort();
}
[[noreturn]] void __throw_out_of_range(const char*) {
    std::abort();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
[[noreturn]] void __throw_runtime_error(const char*) {
    std::abort();
}
[[noreturn]] void __throw_range_error(const char*) {
    std::abort();
}
[[noreturn]] void __throw_overflow_error(const char*) {
    std::abort();
}
[[noreturn]] void __throw_underflow_error(const char*) {
    std::abort();
}
[[noreturn]] void __throw_bad_function_call() {
    std::abort();
}

}  // namespace std
