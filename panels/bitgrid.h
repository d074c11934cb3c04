// The bit grid of a bit group without a window: which line stands for which code and which bit,
// the labels, the cell texts, and the cells a toggle acts on.
#pragma once

#include <optional>
#include <string>
#include <vector>

class CCodi;
class CGrup;

// Codes are rows and bits columns; rotated, codes are columns and bits rows. A bit named "-" has
// no line.
class BitGridLayout {
public:
    BitGridLayout() = default;
    explicit BitGridLayout(const CGrup& grup);

    int Rows() const { return rotated_ ? BitLines() : CodeLines(); }
    int Cols() const { return rotated_ ? CodeLines() : BitLines(); }
    int CodeLines() const { return static_cast<int>(codeLabels_.size()); }
    int BitLines() const { return static_cast<int>(shownBits_.size()); }
    bool IsRotated() const { return rotated_; }
    // The bit each bit line stands for, in line order.
    const std::vector<int>& ShownBits() const { return shownBits_; }

    struct Cell {
        int code;  // index of the code in the group
        int bit;   // 0..7
    };
    // The code and bit of a grid cell; nothing for a cell outside the grid.
    std::optional<Cell> CellOf(int row, int col) const;
    // The grid row and column of code line code and bit line line.
    int RowOf(int code, int line) const { return rotated_ ? line : code; }
    int ColOf(int code, int line) const { return rotated_ ? code : line; }

    const std::vector<std::string>& RowLabels() const { return rotated_ ? bitLabels_ : codeLabels_; }
    const std::vector<std::string>& ColLabels() const { return rotated_ ? codeLabels_ : bitLabels_; }
    // Six pixels per character of the longest row label.
    int RowLabelWidth() const;

private:
    bool rotated_ = false;
    std::vector<int> shownBits_;
    std::vector<std::string> codeLabels_;  // "descr - [kp]"
    std::vector<std::string> bitLabels_;
};

// "X" when the bit of the code's first raw byte is set, else "-".
std::string BitCellText(CCodi& codi, int bit);

// Inverts one bit of the code's first raw byte and decodes the byte back into the code (which
// marks it modified). False, nothing changed, when the code refuses the bytes or bit is not 0..7.
bool ToggleCodiBit(CCodi& codi, int bit);

// A rectangle of selected cells, corners included.
struct GridBlock {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
};
// The cells a toggle acts on: every cell of the blocks (column by column, row by row within each
// column), each cell once even where blocks overlap; with no block, the given cell alone.
struct GridCell {
    int row = 0;
    int col = 0;
    bool operator==(const GridCell&) const = default;
};
std::vector<GridCell> CellsToToggle(const std::vector<GridBlock>& blocks, GridCell whenNone);
