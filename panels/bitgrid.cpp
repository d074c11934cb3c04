#include "panels/bitgrid.h"

#include <algorithm>
#include <set>
#include <utility>

#include "datamodel/codi.h"
#include "datamodel/grup.h"

BitGridLayout::BitGridLayout(const CGrup& grup) : rotated_(grup.GetGirat()) {
    for (int i = 0; i < grup.GetCodiCount(); ++i) {
        const CCodi* codi = grup.GetCodi(i);
        codeLabels_.push_back(codi ? codi->GetDescr() + " - [" + codi->GetKpAddress() + "]" : std::string());
    }
    for (int bit = 0; bit < 8; ++bit) {
        if (grup.GetBitName(bit) == "-") continue;
        shownBits_.push_back(bit);
        bitLabels_.push_back(grup.GetBitName(bit));
    }
}

std::optional<BitGridLayout::Cell> BitGridLayout::CellOf(int row, int col) const {
    if (row < 0 || col < 0 || row >= Rows() || col >= Cols()) return std::nullopt;
    const int code = rotated_ ? col : row;
    const int line = rotated_ ? row : col;
    return Cell{code, shownBits_[static_cast<std::size_t>(line)]};
}

int BitGridLayout::RowLabelWidth() const {
    std::size_t longest = 0;
    for (const std::string& label : RowLabels()) longest = std::max(longest, label.size());
    return 6 * static_cast<int>(longest);
}

std::string BitCellText(CCodi& codi, int bit) {
    if (bit < 0 || bit > 7) return "-";
    return ((codi.ToBytes()[0] >> bit) & 1) != 0 ? "X" : "-";
}

bool ToggleCodiBit(CCodi& codi, int bit) {
    if (bit < 0 || bit > 7) return false;
    CCodi::RawBytes bytes = codi.ToBytes();
    bytes[0] = static_cast<unsigned char>(bytes[0] ^ (1u << bit));
    return codi.FromBytes(bytes);
}

std::vector<GridCell> CellsToToggle(const std::vector<GridBlock>& blocks, GridCell whenNone) {
    if (blocks.empty()) return {whenNone};
    std::vector<GridCell> cells;
    std::set<std::pair<int, int>> seen;
    for (const GridBlock& b : blocks) {
        for (int col = b.left; col <= b.right; ++col) {
            for (int row = b.top; row <= b.bottom; ++row) {
                if (seen.insert({row, col}).second) cells.push_back({row, col});
            }
        }
    }
    return cells;
}
