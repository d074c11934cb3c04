#include "datamodel/modellist.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "datamodel/files.h"

namespace {

const std::string kExtension = ".xml";

// "*-*.xml" with a non-empty model and version: a file that matches the pattern but lacks one of
// them could never be loaded, so it is not offered.
bool IsModelFileName(const std::string& name) {
    if (name.size() <= kExtension.size() ||
        name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) != 0) {
        return false;
    }
    return !CModelList::ModelOf(name).empty() && !CModelList::VersionOf(name).empty();
}

}  // namespace

std::string CModelList::ModelOf(const std::string& fileName) {
    std::size_t hyphen = fileName.find('-');
    if (hyphen == std::string::npos) return std::string();
    return fileName.substr(0, hyphen);
}

std::string CModelList::VersionOf(const std::string& fileName) {
    std::size_t hyphen = fileName.find('-');
    if (hyphen == std::string::npos) return std::string();
    std::size_t end = fileName.size();
    if (end >= kExtension.size() &&
        fileName.compare(end - kExtension.size(), kExtension.size(), kExtension) == 0) {
        end -= kExtension.size();
    }
    if (end <= hyphen + 1) return std::string();
    return fileName.substr(hyphen + 1, end - hyphen - 1);
}

void CModelList::Scan(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    std::filesystem::directory_iterator it(ToOsPath(folder), ec);
    if (ec) return;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        // A name that cp1252 cannot hold would come back as another name, which the loader
        // could not open.
        bool lossless = false;
        std::string name = FromOsPath(it->path().filename(), &lossless);
        if (lossless && IsModelFileName(name)) found.push_back(name);
    }
    if (found.empty()) return;
    std::sort(found.begin(), found.end());
    files_ = std::move(found);
}

void CModelList::BuildModels() {
    models_.clear();
    for (const std::string& file : files_) {
        std::string model = ModelOf(file);
        if (std::find(models_.begin(), models_.end(), model) == models_.end()) {
            models_.push_back(model);
        }
    }
}

std::string CModelList::GetModel(int index) const {
    if (index < 0 || index >= GetModelCount()) return std::string();
    return models_[static_cast<std::size_t>(index)];
}

int CModelList::GetVersionCount(const std::string& model) const {
    return static_cast<int>(std::count_if(files_.begin(), files_.end(),
                                          [&](const std::string& f) { return ModelOf(f) == model; }));
}

std::string CModelList::GetVersion(const std::string& model, int n) const {
    if (n < 0) return std::string();
    for (const std::string& file : files_) {
        if (ModelOf(file) != model) continue;
        if (n == 0) return VersionOf(file);
        --n;
    }
    return std::string();
}
