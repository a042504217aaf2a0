// The packaging tool's reader and writer of a stub's resources, and its test
// for a signature, on damaged and hostile stubs.  Invariants: an image is read
// or refused, never read out of bounds; the resources read are no more than
// the file's bytes hold; what is written reads back with the added resource;
// and the work stays bounded by the image's size (libFuzzer's timeout catches
// a tree that makes it grow with the square of its entries).
#include <cstdlib>

#include "pe_resources.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> image(data, size);
    try {
        size_t bytes = 0;
        for (const pe::Resource& resource : pe::ReadResources(image)) bytes += resource.data.size();
        Check(bytes <= size);
    } catch (const pe::FormatError&) {
    }
    try {
        pe::HasCertificateTable(image);
    } catch (const pe::FormatError&) {
    }

    const pe::Resource added{pe::Id::Number(pe::kRcData), pe::Id::Name("setup.lst"), 0, 0, {1, 2, 3}};
    try {
        const std::vector<uint8_t> written = pe::WriteResources(image, {added});
        bool found = false;
        for (const pe::Resource& resource : pe::ReadResources(written))
            found = found || (resource.name == added.name && resource.data == added.data);
        Check(found);
    } catch (const pe::FormatError&) {
    } catch (const pe::TooLargeError&) {
    }
    return 0;
}
