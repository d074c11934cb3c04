// Arbitrary bytes as a model file and as an installation file. The bundled models and samples are
// linked into the working folder, so components that name a bundled model (the seeds do) load
// it and their records are filled from the input.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "datamodel/instalacio.h"
#include "datamodel/log.h"
#include "datamodel/model.h"

namespace {

class NullSink final : public LogSink {
public:
    void Append(const std::string& text) override { length_ += static_cast<long>(text.size()); }
    long GetLastPosition() const override { return length_; }
    void Remove(long from, long to) override { length_ -= to - from; }

private:
    long length_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const char* folder : {"models", "samples"}) {
        std::error_code ec;
        if (!std::filesystem::exists(folder, ec)) {
            std::filesystem::create_directory_symlink(std::filesystem::path(ORVANE_SOURCE_DIR) / folder,
                                                      folder, ec);
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    CModel model;
    model.SetId("F");
    model.SetVersio("1");
    model.LoadFromText(text);
    (void)model.IsModified();

    NullSink sink;
    CLog log(&sink);
    CInstalacio inst;
    inst.SetLogTarget(&log);
    std::string buffer = text;
    XmlParser parser(&inst);
    parser.Parse(buffer, 0, static_cast<long>(buffer.size()) - 1);
    (void)inst.IsModified();
    (void)inst.GetInstallerCode();
    inst.Clear();
    return 0;
}
