// The programming report of the core: the open installation's programming as plain text.
#include "core/appcore.h"

#include "core/outofmemory.h"
#include "core/report.h"

bool CAppCore::ExportReport(const std::string& path) {
    // Values being edited go into the report. The modified flags stay as they are.
    return UnlessOutOfMemory(
        lastError_,
        [&] {
            StorePanels();
            std::string text;
            WriteReport(text);
            return StoreTextFile(path, text, lastError_);
        },
        [] {});
}

void CAppCore::WriteReport(std::string& out) { AppendReport(instalacio_, out); }

void CAppCore::WriteComponentReport(CModel* model, std::string& out) {
    out.clear();
    if (model) AppendComponentReport(*model, out);
}
