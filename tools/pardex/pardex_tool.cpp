// pardex-tool: builds a web-server flash image from a folder with the library's Compile, and lists or
// extracts the entries of an image with Open, Read and Close.
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "pardex/pardex.h"

static_assert(std::endian::native == std::endian::little, "the image structs are read as stored");

namespace {

int Usage() {
    std::fputs(
        "usage: pardex-tool build FOLDER IMAGE [--log FILE] [--base UNIT] [--plain] [--no-answers]\n"
        "       pardex-tool list IMAGE\n"
        "       pardex-tool cat IMAGE NAME    (writes the entry's data to the standard output)\n"
        "build compacts .htm and .css files unless --plain is given, as the program does.\n",
        stderr);
    return 2;
}

int Build(int argc, char** argv) {
    if (argc < 4) return Usage();
    const char* log = nullptr;
    unsigned base = 0;
    unsigned flags = PARDEX_COMPACT_MARKUP;
    for (int i = 4; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--log" && i + 1 < argc) {
            log = argv[++i];
        } else if (arg == "--base" && i + 1 < argc) {
            base = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 0));
        } else if (arg == "--plain") {
            flags &= ~static_cast<unsigned>(PARDEX_COMPACT_MARKUP);
        } else if (arg == "--no-answers") {
            flags |= PARDEX_NO_ANSWERS;
        } else {
            return Usage();
        }
    }
    const int result = Compile(0, base, flags, argv[2], argv[3], log);
    std::printf("Compile: %d%s\n", result,
                result < 0 ? " (failed)" : result > 0 ? " (done with a warning)" : " (done)");
    return result < 0 ? 1 : 0;
}

// The whole image after its header, read through the library.
struct LoadedImage {
    FlashImageHeader header{};
    std::vector<unsigned char> rest;  // directory and data area
};

bool Load(const char* path, LoadedImage& image) {
    const int opened = Open(path, &image.header);
    if (opened != 0) {
        std::fprintf(stderr, "Open: %d (%s)\n", opened,
                     opened == PARDEX_ERR_NOT_IMAGE ? "not an image" : "cannot be opened");
        return false;
    }
    unsigned char block[65535];
    for (int n; (n = Read(block, sizeof block)) > 0;) image.rest.insert(image.rest.end(), block, block + n);
    Close();
    return true;
}

std::string EntryName(const FlashDirEntry& entry) {
    std::string name(entry.name, strnlen(entry.name, sizeof entry.name));
    return name;
}

// The entries between the version entry and the all-zero end, as far as the file holds them.
std::vector<FlashDirEntry> Entries(const LoadedImage& image) {
    std::vector<FlashDirEntry> entries;
    static const FlashDirEntry zero{};
    for (std::size_t off = PARDEX_ENTRY_SIZE; off + PARDEX_ENTRY_SIZE <= image.rest.size();
         off += PARDEX_ENTRY_SIZE) {
        FlashDirEntry entry;
        std::memcpy(&entry, image.rest.data() + off, sizeof entry);
        if (std::memcmp(&entry, &zero, sizeof entry) == 0) break;
        entries.push_back(entry);
    }
    return entries;
}

int List(const char* path) {
    LoadedImage image;
    if (!Load(path, image)) return 1;
    const FlashImageHeader& h = image.header;
    std::printf("magic %.4s, version %u.%u\n", h.magic, h.versionMajor, h.versionMinor);
    std::printf("directory units %u, entries %u, payload %u bytes, data units %u, first data unit %u\n",
                h.directoryUnits, h.entryCount, h.payloadBytes, h.dataUnits, h.firstDataUnit);
    std::printf("%-16s %10s %10s %5s\n", "name", "start", "size", "kind");
    for (const FlashDirEntry& e : Entries(image))
        std::printf("%-16s %10u %10u %5u\n", EntryName(e).c_str(), e.startUnit, e.size, e.kind);
    return 0;
}

int Cat(const char* path, std::string_view name) {
    LoadedImage image;
    if (!Load(path, image)) return 1;
    const std::uint64_t base = image.header.firstDataUnit - std::uint64_t{image.header.directoryUnits};
    for (const FlashDirEntry& e : Entries(image)) {
        if (EntryName(e) != name) continue;
        const std::uint64_t offset = (e.startUnit - base) * PARDEX_UNIT_SIZE;
        if (e.startUnit < base || offset + e.size > image.rest.size()) {
            std::fprintf(stderr, "entry %s lies outside the image\n", EntryName(e).c_str());
            return 1;
        }
        std::fwrite(image.rest.data() + offset, 1, e.size, stdout);
        return 0;
    }
    std::fprintf(stderr, "no entry %.*s\n", static_cast<int>(name.size()), name.data());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string_view command = argv[1];
    if (command == "build") return Build(argc, argv);
    if (command == "list" && argc == 3) return List(argv[2]);
    if (command == "cat" && argc == 4) return Cat(argv[2], argv[3]);
    return Usage();
}
