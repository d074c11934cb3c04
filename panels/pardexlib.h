// The flash-image library, loaded for one build at a time. It is always loaded by its absolute
// path beside the program (the toolkit's dynamic loader would not look there by itself), and
// quietly: a missing library or export is reported by the caller, never by a toolkit box.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "pardex/pardex.h"

class wxDynamicLibrary;

// The library file the program loads: libpardex.so in the program's own folder, unless
// SetPardexLibraryPath chose another one.
std::filesystem::path PardexLibraryPath();
// Another library file (tests); an empty path goes back to the one beside the program.
void SetPardexLibraryPath(const std::filesystem::path& path);

class PardexLibrary {
public:
    enum class State { Loaded, Missing, NoExport };

    // Loads the library at path and looks up Compile.
    explicit PardexLibrary(const std::filesystem::path& path);
    ~PardexLibrary();  // unloads it
    PardexLibrary(const PardexLibrary&) = delete;
    PardexLibrary& operator=(const PardexLibrary&) = delete;

    State GetState() const { return state_; }
    // Null unless loaded.
    PardexCompileFunc GetCompile() const { return compile_; }
    // What went wrong, for the box: "DLL Error" (no library) or "DLL Error #2" (no Compile).
    std::string Problem() const;

private:
    std::unique_ptr<wxDynamicLibrary> library_;
    PardexCompileFunc compile_ = nullptr;
    State state_ = State::Missing;
};
