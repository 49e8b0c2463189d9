#include "standins/Tar.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "ide/Utils.h"
#include "platform/Files.h"

namespace corvalis::standins {
namespace {

constexpr size_t kBlock = 512;

// Offsets and widths of the ustar header fields that the format needs.
struct Field {
    size_t offset;
    size_t width;
};
constexpr Field kName{0, 100};
constexpr Field kMode{100, 8};
constexpr Field kOwner{108, 8};
constexpr Field kGroup{116, 8};
constexpr Field kSize{124, 12};
constexpr Field kTime{136, 12};
constexpr Field kChecksum{148, 8};
constexpr Field kType{156, 1};
constexpr Field kMagic{257, 6};
constexpr Field kVersion{263, 2};

constexpr char kFileType = '0';
constexpr char kDirectoryType = '5';

void Put(std::string& header, Field field, const std::string& text)
{
    header.replace(field.offset, text.size(), text);
}

std::string Octal(uint64_t value, size_t width)
{
    std::string digits(width, '0');
    for (size_t i = width; i-- > 0 && value > 0; value >>= 3)
        digits[i] = static_cast<char>('0' + (value & 7));
    return digits;
}

// Zero-padded octal digits filling the field but its last byte, which stays NUL.
void PutOctal(std::string& header, Field field, uint64_t value)
{
    Put(header, field, Octal(value, field.width - 1));
}

std::string Text(const char* header, Field field)
{
    const char* start = header + field.offset;
    return std::string(start, strnlen(start, field.width));
}

std::optional<uint64_t> ParseOctal(const char* header, Field field)
{
    const std::string text = Trim(Text(header, field));
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '7')
            return std::nullopt;
        value = value * 8 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

// The sum of the header's bytes, the checksum field counted as blanks.
uint64_t Checksum(const char* header)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < kBlock; ++i)
        sum += i >= kChecksum.offset && i < kChecksum.offset + kChecksum.width ? ' '
                                                                               : static_cast<unsigned char>(header[i]);
    return sum;
}

std::string Header(const TarEntry& entry)
{
    std::string header(kBlock, '\0');
    const std::string name = entry.directory ? entry.name + "/" : entry.name;
    if (name.size() > kName.width)
        throw std::length_error("name too long for a tar header: " + name);
    Put(header, kName, name);
    PutOctal(header, kMode, entry.directory ? 0755 : 0644);
    PutOctal(header, kOwner, 0);
    PutOctal(header, kGroup, 0);
    PutOctal(header, kSize, entry.directory ? 0 : entry.content.size());
    PutOctal(header, kTime, 0);
    Put(header, kType, std::string(1, entry.directory ? kDirectoryType : kFileType));
    Put(header, kMagic, std::string("ustar\0", 6));
    Put(header, kVersion, "00");
    // Six digits, a NUL and a blank, as tar writes it.
    Put(header, kChecksum, Octal(Checksum(header.data()), 6) + std::string("\0 ", 2));
    return header;
}

std::string Padding(size_t size)
{
    return std::string((kBlock - size % kBlock) % kBlock, '\0');
}

} // namespace

std::string WriteTar(const std::vector<TarEntry>& entries)
{
    std::string archive;
    for (const TarEntry& entry : entries) {
        archive += Header(entry);
        if (!entry.directory)
            archive += entry.content + Padding(entry.content.size());
    }
    return archive + std::string(2 * kBlock, '\0');
}

std::optional<std::vector<TarEntry>> ReadTar(const std::string& archive)
{
    std::vector<TarEntry> entries;
    size_t at = 0;
    while (at + kBlock <= archive.size()) {
        const char* header = archive.data() + at;
        if (std::all_of(header, header + kBlock, [](char c) { return c == '\0'; }))
            return entries;
        const std::optional<uint64_t> checksum = ParseOctal(header, kChecksum);
        const std::optional<uint64_t> size = ParseOctal(header, kSize);
        if (!checksum || *checksum != Checksum(header) || Text(header, kMagic).rfind("ustar", 0) != 0 || !size)
            return std::nullopt;
        const char type = header[kType.offset];
        if (type != kFileType && type != '\0' && type != kDirectoryType)
            return std::nullopt;
        TarEntry entry;
        entry.name = Text(header, kName);
        entry.directory = type == kDirectoryType;
        while (!entry.name.empty() && entry.name.back() == '/')
            entry.name.pop_back();
        at += kBlock;
        if (!entry.directory) {
            if (*size > archive.size() - at)
                return std::nullopt;
            entry.content = archive.substr(at, *size);
            at += *size + Padding(*size).size();
        }
        entries.push_back(std::move(entry));
    }
    // An archive must end with its zero blocks: anything else was cut short.
    return std::nullopt;
}

std::vector<TarEntry> FolderEntries(const IFileSystem& files, const std::string& folder)
{
    std::vector<TarEntry> entries;
    const std::function<void(const std::string&, const std::string&)> walk = [&](const std::string& path,
                                                                                 const std::string& name) {
        for (const DirEntry& child : files.Enumerate(path)) {
            const std::string childName = name.empty() ? child.name : name + "/" + child.name;
            const std::string childPath = PathJoin(path, child.name);
            if (child.directory) {
                entries.push_back({childName, true, {}});
                walk(childPath, childName);
            } else {
                entries.push_back({childName, false, files.ReadFile(childPath).value_or("")});
            }
        }
    };
    walk(folder, "");
    return entries;
}

} // namespace corvalis::standins
