#pragma once
// Reading and rewriting the resources of a Windows executable (PE) in
// portable code, so that an installer can be packed on any system from a
// prebuilt stub.  The rewritten file is a function of its inputs only: no
// time stamps, a fixed layout, the PE checksum recomputed.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace pe {

class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Resources that no executable can hold.
class TooLargeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The loader, and this reader, take images below 2 GiB only.
inline constexpr uint64_t kMaxImageSize = uint64_t{1} << 31;

// A resource type or name: a number, or a UTF-16 string.
struct Id {
    uint16_t number = 0;
    std::u16string name;  // used when not empty

    static Id Number(uint16_t n) { return Id{n, {}}; }
    // Windows-1252 text, stored in capitals as the loader capitalises the
    // name it looks up, accented letters included.
    static Id Name(const std::string& text);
    bool IsName() const { return !name.empty(); }
    bool operator==(const Id&) const = default;
};

inline constexpr uint16_t kRcData = 10;

inline constexpr uint16_t kMachineI386 = 0x14C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;

// What the headers say an image is.
struct ImageKind {
    uint16_t machine = 0;
    bool isDll = false;
};

ImageKind ReadImageKind(std::span<const uint8_t> image);

// Whether the image carries an Authenticode certificate table: its security
// directory names certificates that lie in the file.  Says nothing of whether
// the signature is valid.  Throws FormatError for what is no PE image.
bool HasCertificateTable(std::span<const uint8_t> image);

struct Resource {
    Id type;
    Id name;
    uint16_t language = 0;  // neutral
    uint32_t codePage = 0;
    std::vector<uint8_t> data;
};

// Every resource of the image, in directory order.
std::vector<Resource> ReadResources(std::span<const uint8_t> image);

// The image with `added` merged into its resources: an added resource
// replaces every existing one of the same type and name.  The other
// resources (an application manifest, icons, a version) are kept.  An image
// that would reach kMaxImageSize is a TooLargeError, raised before its
// memory is taken.
std::vector<uint8_t> WriteResources(std::span<const uint8_t> image, const std::vector<Resource>& added);

}  // namespace pe
