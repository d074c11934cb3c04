// Times a large model: writes a model file of N codes (100 000 by default) in a scratch folder,
// loads it, makes an installation whose central uses it, saves that installation and opens it
// again through the application core, tree included. Prints the sizes and the best time of a few
// runs of each step, each from a fresh start (a new model, a closed installation).
//
//   model_bench [N] [runs]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "core/appcore.h"
#include "core/views.h"
#include "datamodel/model.h"

namespace {

// A tree that only counts what it is given.
class CountingTree final : public TreeView {
public:
    int AddImage(TreeIcon) override { return 0; }
    TreeItemId AddRoot(const std::string&, int) override { return ++items; }
    TreeItemId AppendItem(TreeItemId, const std::string&, int, int) override { return ++items; }
    void DeleteAllItems() override {}
    void Delete(TreeItemId) override {}
    TreeItemId GetItemParent(TreeItemId) const override { return kNoTreeItem; }
    void SetItemText(TreeItemId, const std::string&) override {}
    std::string GetItemText(TreeItemId) const override { return {}; }
    void Expand(TreeItemId) override {}
    void SelectItem(TreeItemId) override {}
    TreeItemId GetSelection() const override { return kNoTreeItem; }
    TreeItemId items = 0;
};

class CountingSink final : public LogSink {
public:
    void Append(const std::string& text) override { length += static_cast<long>(text.size()); }
    long GetLastPosition() const override { return length; }
    void Remove(long from, long to) override { length -= to - from; }
    long length = 0;
};

// Codes in groups of 100, each with a description, a value and a code number of its own.
std::string ModelText(int codes) {
    std::string text = "<model id=\"BIG\" versio=\"1\">\n\t<descr>Central grande</descr><zones>16</zones>"
                       "<arees>4</arees><busdir>0001</busdir>\n";
    char line[256];
    for (int i = 0; i < codes; ++i) {
        if (i % 100 == 0) {
            if (i > 0) text += "\t</grup>\n";
            std::snprintf(line, sizeof line, "\t<grup id=\"G%d\"><descr>Grupo %d</descr>\n", i / 100, i / 100);
            text += line;
        }
        std::snprintf(line, sizeof line,
                      "\t\t<codi id=\"%06d\"><tipus>nibble4</tipus><eeprom>%05X</eeprom><val>%04d</val>"
                      "<descr>Código número %d</descr></codi>\n",
                      i, i * 2, i % 10000, i);
        text += line;
    }
    if (codes > 0) text += "\t</grup>\n";
    text += "</model>\n";
    return text;
}

template <typename F>
double BestMs(int runs, F&& step) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        if (!step()) {
            std::fprintf(stderr, "step failed\n");
            std::exit(1);
        }
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int codes = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    if (codes < 1 || runs < 1) {
        std::fprintf(stderr, "usage: model_bench [codes >= 1] [runs >= 1]\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("model_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder / "models");
    const fs::path old = fs::current_path();
    fs::current_path(folder);
    {
        std::ofstream(folder / "models" / "BIG-1.xml", std::ios::binary) << ModelText(codes);
    }

    const double loadMs = BestMs(runs, [&] {
        CModel model;  // a fresh one each time, as for a component added to an installation
        model.SetId("BIG");
        model.SetVersio("1");
        return model.Load() && model.GetCodiCount() == codes;
    });

    CountingTree tree;
    CountingSink sink;
    CAppCore core(nullptr, folder);
    core.SetTreeView(&tree);
    core.SetLogSink(&sink);
    const std::string path = (folder / "grande.voski").string();
    if (!core.NewInstalacio("BIG", "1") || !core.SaveInstalacioAs(path)) {
        std::fprintf(stderr, "cannot make the installation: %s\n", core.GetLastError().c_str());
        return 1;
    }
    const double saveMs = BestMs(runs, [&] { return core.SaveInstalacio(); });
    const double openMs = BestMs(runs, [&] {
        core.CloseInstalacio();
        return core.OpenInstalacio(path);
    });

    std::printf("codes %d: model file %.1f MB, installation file %.1f MB, tree items %lu\n", codes,
                static_cast<double>(fs::file_size(folder / "models" / "BIG-1.xml")) / 1e6,
                static_cast<double>(fs::file_size(path)) / 1e6, static_cast<unsigned long>(tree.items));
    std::printf("model load        %8.1f ms\n", loadMs);
    std::printf("installation save %8.1f ms\n", saveMs);
    std::printf("installation open %8.1f ms (model load, values, tree)\n", openMs);
    std::printf("log pane after open: %ld characters\n", sink.length);
    fs::current_path(old);
    fs::remove_all(folder);
    return 0;
}
