#include "pe_resources.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "core/text.h"

namespace pe {

namespace {

constexpr uint32_t kNameIsString = 0x80000000;
constexpr uint32_t kIsDirectory = 0x80000000;
constexpr size_t kSectionHeaderSize = 40;
constexpr int kResourceDirectory = 2;
constexpr int kSecurityDirectory = 4;

// Offsets come from the file, up to 0xFFFFFFFF plus a little: in 64 bits,
// and compared as "room left", so that no sum wraps in a 32-bit build.
bool Holds(std::span<const uint8_t> bytes, uint64_t at, uint64_t length) {
    return at <= bytes.size() && bytes.size() - at >= length;
}

uint16_t Get16(std::span<const uint8_t> bytes, uint64_t at) {
    if (!Holds(bytes, at, 2)) throw FormatError("truncated executable");
    const size_t i = static_cast<size_t>(at);
    return static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8);
}

uint32_t Get32(std::span<const uint8_t> bytes, uint64_t at) {
    if (!Holds(bytes, at, 4)) throw FormatError("truncated executable");
    const size_t i = static_cast<size_t>(at);
    return static_cast<uint32_t>(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16) |
           static_cast<uint32_t>(bytes[i + 3]) << 24;
}

void Put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// In 64 bits, so that no size near the 32-bit limit wraps around.
uint64_t AlignUp(uint64_t value, uint64_t alignment) {
    return alignment ? (value + alignment - 1) / alignment * alignment : value;
}

// Checked before any buffer is sized from them: beyond 2 GiB an image is no
// longer one that the loader, or this reader, accepts.
void CheckImageSize(uint64_t end) {
    if (end > kMaxImageSize)
        throw TooLargeError("the installer would need " + std::to_string((end + (1 << 20) - 1) >> 20) +
                            " MiB, more than the " + std::to_string(kMaxImageSize >> 20) +
                            " MiB an executable can hold");
}

struct Section {
    size_t headerAt;
    uint32_t virtualSize, virtualAddress, rawSize, rawPointer;
};

// The headers that matter for resources.
struct Layout {
    size_t coffAt;             // the COFF file header, after "PE\0\0"
    size_t optionalAt;         // the optional header
    size_t dataDirectoryAt;    // the first data directory entry
    uint32_t directoryCount;
    uint32_t sectionAlignment, fileAlignment, sizeOfHeaders;
    std::vector<Section> sections;  // in the table's order
    // The sections that take room in the image, by address, so that finding
    // one costs a binary search however many sections a crafted file lists.
    std::vector<Section> byAddress;
};

uint32_t Extent(const Section& s) { return std::max(s.virtualSize, s.rawSize); }

Layout ParseLayout(std::span<const uint8_t> image) {
    if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') throw FormatError("not an executable (no MZ)");
    const uint32_t peAt = Get32(image, 0x3C);
    if (Get32(image, peAt) != 0x00004550) throw FormatError("not a PE executable");
    Layout layout{};
    layout.coffAt = size_t{peAt} + 4;  // read above, so inside the file
    const uint16_t sectionCount = Get16(image, layout.coffAt + 2);
    const uint16_t optionalSize = Get16(image, layout.coffAt + 16);
    layout.optionalAt = layout.coffAt + 20;
    const uint16_t magic = Get16(image, layout.optionalAt);
    if (magic != 0x10B && magic != 0x20B) throw FormatError("unknown optional header");
    const bool plus = magic == 0x20B;
    layout.sectionAlignment = Get32(image, layout.optionalAt + 32);
    layout.fileAlignment = Get32(image, layout.optionalAt + 36);
    layout.sizeOfHeaders = Get32(image, layout.optionalAt + 60);
    layout.directoryCount = Get32(image, layout.optionalAt + (plus ? 108 : 92));
    layout.dataDirectoryAt = layout.optionalAt + (plus ? 112 : 96);
    if (layout.directoryCount <= kResourceDirectory) throw FormatError("no resource directory entry");
    // The data directories lie inside the optional header; one that claims
    // more than its header holds would overlap the section table, which
    // rewriting them would then damage.
    if (uint64_t{layout.dataDirectoryAt - layout.optionalAt} + uint64_t{layout.directoryCount} * 8 > optionalSize)
        throw FormatError("data directories beyond the optional header");
    auto powerOfTwo = [](uint32_t v) { return v != 0 && (v & (v - 1)) == 0; };
    if (!powerOfTwo(layout.fileAlignment) || layout.fileAlignment > 0x10000 ||
        !powerOfTwo(layout.sectionAlignment) || layout.sectionAlignment > 0x100000)
        throw FormatError("implausible alignment");
    if (layout.sizeOfHeaders > image.size()) throw FormatError("headers beyond the file");
    const size_t tableAt = layout.optionalAt + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const size_t at = tableAt + i * kSectionHeaderSize;
        const Section section{at, Get32(image, at + 8), Get32(image, at + 12), Get32(image, at + 16),
                              Get32(image, at + 20)};
        // Every section lies in the file and in a 2 GB image, so that no sum
        // below can overflow.
        if (uint64_t{section.rawPointer} + section.rawSize > image.size() ||
            uint64_t{section.virtualAddress} + std::max(section.virtualSize, section.rawSize) > 0x80000000u)
            throw FormatError("section outside the file or the image");
        layout.sections.push_back(section);
        if (Extent(section) > 0) layout.byAddress.push_back(section);
    }
    std::sort(layout.byAddress.begin(), layout.byAddress.end(),
              [](const Section& a, const Section& b) { return a.virtualAddress < b.virtualAddress; });
    // The loader maps sections one after the other; overlapping ones would
    // give an address two meanings.
    for (size_t i = 1; i < layout.byAddress.size(); ++i) {
        const Section& before = layout.byAddress[i - 1];
        if (before.virtualAddress + Extent(before) > layout.byAddress[i].virtualAddress)
            throw FormatError("overlapping sections");
    }
    return layout;
}

// File offset of an address of the loaded image.
size_t OffsetOf(const Layout& layout, uint32_t rva) {
    const auto after = std::upper_bound(layout.byAddress.begin(), layout.byAddress.end(), rva,
                                        [](uint32_t address, const Section& s) { return address < s.virtualAddress; });
    if (after == layout.byAddress.begin()) throw FormatError("address outside every section");
    const Section& s = *std::prev(after);
    if (rva - s.virtualAddress >= Extent(s)) throw FormatError("address outside every section");
    if (rva - s.virtualAddress >= s.rawSize) throw FormatError("resource outside the file");
    return s.rawPointer + (rva - s.virtualAddress);
}

class TreeReader {
public:
    TreeReader(std::span<const uint8_t> image, const Layout& layout, uint32_t rva)
        : image_(image), layout_(layout), rootAt_(OffsetOf(layout, rva)) {}

    std::vector<Resource> ReadAll() {
        std::vector<Resource> out;
        size_t total = 0;
        for (const auto& [type, typeDir] : Entries(0, 0))
            for (const auto& [name, nameDir] : Entries(typeDir, 1))
                for (const auto& [language, dataAt] : Entries(nameDir, 2)) {
                    Resource resource;
                    resource.type = type;
                    resource.name = name;
                    resource.language = language.number;
                    // Each resource carries its own copy of its names, which
                    // the file may share among many entries.
                    Copy(type.name.size() + name.name.size());
                    const uint64_t entryAt = uint64_t{rootAt_} + dataAt;
                    const uint32_t dataRva = Get32(image_, entryAt);
                    const uint32_t size = Get32(image_, entryAt + 4);
                    resource.codePage = Get32(image_, entryAt + 8);
                    const size_t from = OffsetOf(layout_, dataRva);
                    if (from > image_.size() || size > image_.size() - from)
                        throw FormatError("resource data outside the file");
                    total += size;
                    if (total > image_.size()) throw FormatError("resource data overlaps");
                    resource.data.assign(image_.begin() + from, image_.begin() + from + size);
                    out.push_back(std::move(resource));
                }
        return out;
    }

private:
    // The entries of the directory at `offset` (from the root): their ids
    // and what they point to, a subdirectory or (at the last level) data.
    std::vector<std::pair<Id, uint32_t>> Entries(uint32_t offset, int level) {
        if (level > 2) throw FormatError("resource tree too deep");
        // A directory read twice would list its resources twice, and a tree
        // of shared directories can name far more resources than the file
        // holds: each directory is read once.
        if (!visited_.insert(offset).second) throw FormatError("resource directories are shared");
        const uint64_t at = uint64_t{rootAt_} + offset;
        const size_t count = size_t{Get16(image_, at + 12)} + Get16(image_, at + 14);
        if (!Holds(image_, at + 16, count * 8)) throw FormatError("resource directory beyond the file");
        Charge(count);
        std::vector<std::pair<Id, uint32_t>> entries;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t nameField = Get32(image_, at + 16 + i * 8);
            const uint32_t target = Get32(image_, at + 16 + i * 8 + 4);
            const bool isDirectory = target & kIsDirectory;
            if (isDirectory != (level < 2)) throw FormatError("malformed resource tree");
            Id id;
            if (nameField & kNameIsString) {
                id.name = Name(nameField & ~kNameIsString);
            } else {
                id.number = static_cast<uint16_t>(nameField);
            }
            entries.emplace_back(std::move(id), target & ~kIsDirectory);
        }
        return entries;
    }

    // The name string at `offset`, read once however many entries share it.
    const std::u16string& Name(uint32_t offset) {
        auto [known, isNew] = names_.try_emplace(offset);
        if (!isNew) return known->second;
        const uint64_t nameAt = uint64_t{rootAt_} + offset;
        const uint16_t length = Get16(image_, nameAt);
        Charge(length);
        for (uint16_t c = 0; c < length; ++c) known->second.push_back(Get16(image_, nameAt + 2 + c * 2));
        if (known->second.empty()) throw FormatError("empty resource name");
        return known->second;
    }

    // Every entry and name character takes room in the file, so a tree that
    // asks for more reading than the file has bytes is malformed; without
    // this bound, names overlapping in the file could make the reading grow
    // with the square of the entries.
    void Charge(size_t units) {
        work_ += units;
        if (work_ > image_.size()) throw FormatError("resource tree larger than the file");
    }

    // Likewise for the characters of names copied into the resources: one
    // long name shared by every entry of a large directory would otherwise
    // ask for gigabytes.
    void Copy(size_t characters) {
        copied_ += characters;
        if (copied_ > image_.size()) throw FormatError("resource names larger than the file");
    }

    std::span<const uint8_t> image_;
    const Layout& layout_;
    size_t rootAt_;
    std::set<uint32_t> visited_;
    std::map<uint32_t, std::u16string> names_;
    size_t work_ = 0;
    size_t copied_ = 0;
};

// Named entries first, in ascending order of their characters, then numbered
// ones in ascending order: the loader looks both up by binary search.
bool IdLess(const Id& a, const Id& b) {
    if (a.IsName() != b.IsName()) return a.IsName();
    if (a.IsName()) return a.name < b.name;
    return a.number < b.number;
}

// Lays out a resource section for the given address.  Directories come
// first, then the data entries, then the name strings, then the data.
std::vector<uint8_t> BuildSection(std::vector<Resource> resources, uint32_t rva) {
    std::stable_sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
        if (!(a.type == b.type)) return IdLess(a.type, b.type);
        if (!(a.name == b.name)) return IdLess(a.name, b.name);
        return a.language < b.language;
    });

    // The tree as nested groups of indices into `resources`.
    struct NameGroup {
        Id name;
        std::vector<size_t> items;
    };
    struct TypeGroup {
        Id type;
        std::vector<NameGroup> names;
    };
    std::vector<TypeGroup> types;
    for (size_t i = 0; i < resources.size(); ++i) {
        if (types.empty() || !(types.back().type == resources[i].type)) types.push_back({resources[i].type, {}});
        auto& names = types.back().names;
        if (names.empty() || !(names.back().name == resources[i].name)) names.push_back({resources[i].name, {}});
        names.back().items.push_back(i);
    }

    auto directorySize = [](size_t entries) { return 16 + entries * 8; };
    size_t directories = directorySize(types.size());
    for (const TypeGroup& t : types) {
        directories += directorySize(t.names.size());
        for (const NameGroup& n : t.names) directories += directorySize(n.items.size());
    }
    const size_t dataEntriesAt = directories;
    size_t stringsAt = dataEntriesAt + resources.size() * 16;
    size_t stringsSize = 0;
    for (const TypeGroup& t : types) {
        if (t.type.IsName()) stringsSize += 2 + 2 * t.type.name.size();
        for (const NameGroup& n : t.names)
            if (n.name.IsName()) stringsSize += 2 + 2 * n.name.name.size();
    }
    const uint64_t dataAt = AlignUp(stringsAt + stringsSize, 8);
    uint64_t total = dataAt;
    for (const Resource& r : resources) total = AlignUp(total + r.data.size(), 8);
    CheckImageSize(rva + total);

    std::vector<uint8_t> out(static_cast<size_t>(total), 0);
    size_t nextDirectory = 0;
    size_t nextString = stringsAt;
    size_t nextData = dataAt;

    auto writeName = [&](const Id& id) -> uint32_t {
        if (!id.IsName()) return id.number;
        const size_t at = nextString;
        Put16(out, at, static_cast<uint16_t>(id.name.size()));
        for (size_t c = 0; c < id.name.size(); ++c) Put16(out, at + 2 + 2 * c, id.name[c]);
        nextString += 2 + 2 * id.name.size();
        return static_cast<uint32_t>(at) | kNameIsString;
    };
    // Reserves a directory header for these ids and returns where its
    // entries start.
    auto openDirectory = [&](const std::vector<const Id*>& ids) {
        // Each kind of entry is counted in 16 bits.
        if (ids.size() > 0xFFFF) throw TooLargeError("more than 65535 resources of one kind");
        const size_t at = nextDirectory;
        size_t named = 0;
        for (const Id* id : ids) named += id->IsName();
        Put16(out, at + 12, static_cast<uint16_t>(named));
        Put16(out, at + 14, static_cast<uint16_t>(ids.size() - named));
        for (size_t i = 0; i < ids.size(); ++i) Put32(out, at + 16 + i * 8, writeName(*ids[i]));
        nextDirectory += directorySize(ids.size());
        return at + 16;
    };

    size_t nextDataEntry = dataEntriesAt;
    std::vector<const Id*> typeIds;
    for (const TypeGroup& t : types) typeIds.push_back(&t.type);
    const size_t typeEntries = openDirectory(typeIds);
    for (size_t ti = 0; ti < types.size(); ++ti) {
        Put32(out, typeEntries + ti * 8 + 4, static_cast<uint32_t>(nextDirectory) | kIsDirectory);
        std::vector<const Id*> nameIds;
        for (const NameGroup& n : types[ti].names) nameIds.push_back(&n.name);
        const size_t nameEntries = openDirectory(nameIds);
        for (size_t ni = 0; ni < types[ti].names.size(); ++ni) {
            Put32(out, nameEntries + ni * 8 + 4, static_cast<uint32_t>(nextDirectory) | kIsDirectory);
            const std::vector<size_t>& items = types[ti].names[ni].items;
            std::vector<Id> languages;
            for (size_t item : items) languages.push_back(Id::Number(resources[item].language));
            std::vector<const Id*> languageIds;
            for (const Id& l : languages) languageIds.push_back(&l);
            const size_t languageEntries = openDirectory(languageIds);
            for (size_t li = 0; li < items.size(); ++li) {
                const Resource& r = resources[items[li]];
                Put32(out, languageEntries + li * 8 + 4, static_cast<uint32_t>(nextDataEntry));
                Put32(out, nextDataEntry, rva + static_cast<uint32_t>(nextData));
                Put32(out, nextDataEntry + 4, static_cast<uint32_t>(r.data.size()));
                Put32(out, nextDataEntry + 8, r.codePage);
                nextDataEntry += 16;
                if (!r.data.empty()) std::memcpy(out.data() + nextData, r.data.data(), r.data.size());
                nextData = static_cast<size_t>(AlignUp(nextData + r.data.size(), 8));
            }
        }
    }
    return out;
}

// The PE checksum, as the loader of drivers and the image helpers compute it.
uint32_t Checksum(const std::vector<uint8_t>& image, size_t checksumAt) {
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i == checksumAt || i == checksumAt + 2) continue;
        uint32_t word = image[i];
        if (i + 1 < image.size()) word |= uint32_t{image[i + 1]} << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}

}  // namespace

Id Id::Name(const std::string& text) {
    Id id;
    for (const char c : text) id.name.push_back(core::UpperCaseOf(core::Cp1252ToUnicode(static_cast<unsigned char>(c))));
    return id;
}

std::vector<Resource> ReadResources(std::span<const uint8_t> image) {
    const Layout layout = ParseLayout(image);
    const uint32_t rva = Get32(image, layout.dataDirectoryAt + kResourceDirectory * 8);
    if (rva == 0) return {};
    return TreeReader(image, layout, rva).ReadAll();
}

std::vector<uint8_t> WriteResources(std::span<const uint8_t> image, const std::vector<Resource>& added) {
    const Layout layout = ParseLayout(image);
    std::vector<Resource> resources = ReadResources(image);
    for (const Resource& r : added) {
        std::erase_if(resources, [&](const Resource& old) { return old.type == r.type && old.name == r.name; });
        resources.push_back(r);
    }

    // The old resource section is reused when it is the last one, so that
    // packing twice does not grow the file; otherwise a new section follows
    // the last one and the old data stays unused.
    const uint32_t oldRva = Get32(image, layout.dataDirectoryAt + kResourceDirectory * 8);
    std::vector<Section> kept = layout.sections;
    if (!kept.empty() && oldRva != 0 && kept.back().virtualAddress == oldRva) kept.pop_back();

    // Sections follow the headers, in the image as in the file.
    uint32_t imageEnd = layout.sizeOfHeaders;
    uint32_t fileEnd = layout.sizeOfHeaders;
    for (const Section& s : kept) {
        imageEnd = std::max(imageEnd, static_cast<uint32_t>(s.virtualAddress + AlignUp(std::max(s.virtualSize, s.rawSize),
                                                                                       layout.sectionAlignment)));
        if (s.rawSize) fileEnd = std::max(fileEnd, s.rawPointer + s.rawSize);
    }
    const size_t tableAt = layout.sections.empty() ? layout.coffAt + 20 + Get16(image, layout.coffAt + 16)
                                                   : layout.sections.front().headerAt;
    const size_t newHeaderAt = tableAt + kept.size() * kSectionHeaderSize;
    size_t firstRaw = layout.sizeOfHeaders;
    for (const Section& s : kept)
        if (s.rawSize) firstRaw = std::min<size_t>(firstRaw, s.rawPointer);
    if (newHeaderAt + kSectionHeaderSize > firstRaw) throw FormatError("no room for another section header");

    const uint64_t rvaEnd = AlignUp(imageEnd, layout.sectionAlignment);
    CheckImageSize(rvaEnd);
    const uint32_t rva = static_cast<uint32_t>(rvaEnd);
    const std::vector<uint8_t> section = BuildSection(std::move(resources), rva);
    const uint64_t imageSize = AlignUp(uint64_t{rva} + section.size(), layout.sectionAlignment);
    const uint64_t rawPointer64 = AlignUp(fileEnd, layout.fileAlignment);
    CheckImageSize(std::max(imageSize, rawPointer64 + AlignUp(section.size(), layout.fileAlignment)));
    const uint32_t rawPointer = static_cast<uint32_t>(rawPointer64);
    const uint32_t rawSize = static_cast<uint32_t>(AlignUp(section.size(), layout.fileAlignment));

    // A COFF symbol table after the sections (an unstripped stub) moves
    // behind the new section, since long section names live in its string
    // table.  Anything else there, a signature included, no longer describes
    // this file and is dropped.
    const uint32_t symbolsAt = Get32(image, layout.coffAt + 8);
    const bool keepSymbols = symbolsAt != 0 && symbolsAt >= fileEnd && symbolsAt < image.size();
    std::vector<uint8_t> out(image.begin(), image.begin() + std::min<size_t>(fileEnd, image.size()));
    out.resize(rawPointer + rawSize, 0);
    std::copy(section.begin(), section.end(), out.begin() + rawPointer);
    if (keepSymbols) {
        Put32(out, layout.coffAt + 8, static_cast<uint32_t>(out.size()));
        out.insert(out.end(), image.begin() + symbolsAt, image.end());
    } else {
        Put32(out, layout.coffAt + 8, 0);
        Put32(out, layout.coffAt + 12, 0);
    }

    std::fill(out.begin() + newHeaderAt, out.begin() + newHeaderAt + kSectionHeaderSize, 0);
    std::memcpy(out.data() + newHeaderAt, ".rsrc", 5);
    Put32(out, newHeaderAt + 8, static_cast<uint32_t>(section.size()));
    Put32(out, newHeaderAt + 12, rva);
    Put32(out, newHeaderAt + 16, rawSize);
    Put32(out, newHeaderAt + 20, rawPointer);
    Put32(out, newHeaderAt + 36, 0x40000040);  // initialised data, readable

    Put16(out, layout.coffAt + 2, static_cast<uint16_t>(kept.size() + 1));
    Put32(out, layout.optionalAt + 56, static_cast<uint32_t>(imageSize));
    Put32(out, layout.dataDirectoryAt + kResourceDirectory * 8, rva);
    Put32(out, layout.dataDirectoryAt + kResourceDirectory * 8 + 4, static_cast<uint32_t>(section.size()));
    if (layout.directoryCount > kSecurityDirectory) {
        Put32(out, layout.dataDirectoryAt + kSecurityDirectory * 8, 0);
        Put32(out, layout.dataDirectoryAt + kSecurityDirectory * 8 + 4, 0);
    }
    const size_t checksumAt = layout.optionalAt + 64;
    Put32(out, checksumAt, 0);
    Put32(out, checksumAt, Checksum(out, checksumAt));
    return out;
}

bool HasCertificateTable(std::span<const uint8_t> image) {
    const Layout layout = ParseLayout(image);
    if (layout.directoryCount <= kSecurityDirectory) return false;
    // A file offset, not an address: the table follows the image.
    const uint32_t at = Get32(image, layout.dataDirectoryAt + kSecurityDirectory * 8);
    const uint32_t size = Get32(image, layout.dataDirectoryAt + kSecurityDirectory * 8 + 4);
    constexpr uint32_t kCertificateHeaderSize = 8;  // its length, revision and type
    if (size < kCertificateHeaderSize || !Holds(image, at, size)) return false;
    const uint32_t first = Get32(image, at);
    return first >= kCertificateHeaderSize && first <= size;
}

ImageKind ReadImageKind(std::span<const uint8_t> image) {
    constexpr uint16_t kFileIsDll = 0x2000;
    const Layout layout = ParseLayout(image);
    return ImageKind{Get16(image, layout.coffAt), (Get16(image, layout.coffAt + 18) & kFileIsDll) != 0};
}

}  // namespace pe
