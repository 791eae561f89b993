// A program linked against the compiler's runtime DLLs, as Quorvane.exe would be without static
// linking: the release check must refuse it.
#include <stdexcept>
#include <string>

int main(int argc, char**) {
    try {
        if (argc > 1) throw std::runtime_error(std::string("argument count ") + char('0' + argc));
    } catch (const std::exception&) {
        return 1;
    }
    return 0;
}
