// Writes the fuzz targets' first inputs: version blocks and PE images as compilers lay them out.
#include <fstream>

#include "tests/support/VersionImage.h"

int main(int, char** argv) {
    using namespace fixture;
    const Bytes blocks[] = {
        VersionBlock({{u"FileVersion", u"1.0.0.123"}, {u"ProductName", u"示例产品"}}),
        VersionBlock({{u"Comments", u""}, {u"CompanyName", u"Q"}}, u"040904B0"),
        VersionBlock({}, u"080404b0", {0x04, 0x08}),
    };
    int n = 0;
    for (const Bytes& block : blocks) {
        const PeFile image = MakePeFile({{0x0409, block}, {0x0000, block}}, n * 100);
        std::ofstream(std::string(argv[1]) + "/block" + std::to_string(n), std::ios::binary)
            .write(reinterpret_cast<const char*>(block.data()), block.size());
        std::ofstream(std::string(argv[1]) + "/image" + std::to_string(n++), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.bytes.data()), image.bytes.size());
    }
}
