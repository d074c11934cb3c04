// Data a panel keeps in flash besides its codes: either an element table (equal elements at a base
// address, each made of the same columns, each column converted like a code) or a list of files
// written at fixed sectors.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "datamodel/codi.h"
#include "datamodel/fitxer.h"

class CGrup;

enum FlashGroupKind : int {
    FlashGroupNone = 0,   // neither a column nor a file was added
    FlashGroupTable = 1,  // element table
    FlashGroupFiles = 2,  // file list
};

class CGrupFlash {
public:
    // Largest table kept locally; larger element counts or sizes are refused.
    static constexpr int kMaxTableBytes = 16 * 1024 * 1024;

    CGrupFlash();
    CGrupFlash(const CGrupFlash&) = delete;
    CGrupFlash& operator=(const CGrupFlash&) = delete;

    // Texts empty, no owner, element size and count unset (-1), no table, columns and files
    // deleted, kind none.
    void Reset();

    bool SetDescr(std::string_view descr);
    const std::string& GetDescr() const { return descr_; }
    bool SetId(std::string_view id);
    const std::string& GetId() const { return id_; }
    // The group's own bus address (hexadecimal text); empty means the component's address.
    bool SetDest(std::string_view dest);
    const std::string& GetDest() const { return dest_; }
    bool HasDest() const { return !dest_.empty(); }
    bool SetParent(CGrup* parent);
    CGrup* GetParent() const { return parent_; }
    CGrupFlash* Self() { return this; }
    int GetKind() const { return kind_; }

    bool SetAddrBase(std::string_view addrBase);  // hexadecimal text only
    const std::string& GetAddrBase() const { return addrBase_; }

    // Refuse negative values and a table above kMaxTableBytes. Once both are known the table is
    // made (count × size bytes, all 0); a table once made keeps its size.
    bool SetBytesElement(int bytes);
    int GetBytesElement() const { return bytesElement_; }
    bool SetElements(int count);
    int GetElements() const { return elements_; }
    bool HasTable() const { return hasTable_; }
    int GetTableSize() const { return static_cast<int>(table_.size()); }

    // Columns: each is a code that converts its cells and holds the column's name (its
    // description) and default value. Column c of an element starts at the sum of the byte counts
    // of the columns before it.
    int AddColumna();
    bool SetColumnaField(int c, int type);
    bool SetColumnaText(int c, std::string_view text);
    int GetColumnaCount() const { return static_cast<int>(columns_.size()); }
    // The name of column c, of column 0 for c outside; empty without columns.
    const std::string& GetColumna(int c) const;
    CCodi* GetColumnaAt(int c);  // null outside

    // Element i, null unless 0 <= i and the whole element lies in the table.
    unsigned char* GetElementPtr(int i);
    const unsigned char* GetElementPtr(int i) const;
    // Copy or compare one element's bytes; false when element i does not fit or fewer bytes than
    // an element are given.
    bool StoreElement(int i, std::span<const unsigned char> bytes);
    bool CompareElement(int i, std::span<const unsigned char> bytes) const;

    // The column code stores the text (normalised by its type) and its bytes go into cell (i, c).
    // False, nothing changed, when c is not a column or the cell does not lie inside element i
    // (the columns may add up to more than the element) inside the table.
    bool SetCell(int i, int c, std::string_view text);
    // SetCell of every element in order; false at the first failure.
    bool FillAll(int c, std::string_view text);
    // The column code decodes the cell and its value is returned; empty when the cell does not
    // fit or the column's type cannot decode.
    std::string GetCellText(int i, int c);

    // Appends the file and makes this a file list; -1 (nothing changes) for none.
    int AddFitxer(std::unique_ptr<CFitxer> fitxer);
    int GetFitxerCount() const { return static_cast<int>(files_.size()); }
    CFitxer* GetFitxer(int i);  // null outside
    CFitxer* FindFitxer(std::string_view id);
    // Bytes to upload over the files marked to be sent (loading them); unreadable files count 0.
    long long GetSendSize();

    // Table: each column takes back its default value, written into every element. Files: every
    // file drops its data, its path and its send mark.
    bool ApplyDefaults();

private:
    void MakeTable();
    // Where cell (i, c) lies in the table; false when it does not fit.
    bool CellSpan(int i, int c, std::size_t& start, std::size_t& count) const;

    std::string descr_;
    std::string id_;
    std::string dest_;
    std::string addrBase_;
    CGrup* parent_;
    std::vector<std::unique_ptr<CCodi>> columns_;
    std::vector<std::unique_ptr<CFitxer>> files_;
    int bytesElement_;
    int elements_;
    int kind_;
    bool hasTable_;
    std::vector<unsigned char> table_;
};
