// A node of a component's programming tree or status tree: a named set of codes with child groups.
// The model's flat lists own the codes and the groups; a group only points at them, and one code
// may stand in several groups.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

class CCodi;

class CGrup {
public:
    CGrup();

    // Empties both lists (their entries are not deleted) and clears every field and flag.
    void Reset();

    bool SetName(std::string_view name);
    const std::string& GetName() const { return name_; }
    bool SetId(std::string_view id);
    const std::string& GetId() const { return id_; }
    bool SetParent(CGrup* parent);
    CGrup* GetParent() const { return parent_; }
    CGrup* Self() { return this; }

    // The group's own bus address (hexadecimal text); empty means the component's address.
    bool SetDest(std::string_view dest);
    const std::string& GetDest() const { return dest_; }
    bool HasDest() const { return !dest_.empty(); }

    // Both appends return the new index, or -1 (nothing added) for a null entry.
    int AddCodi(CCodi* codi);
    int GetCodiCount() const { return static_cast<int>(codis_.size()); }
    CCodi* GetCodi(int i) const;  // null outside 0 .. count - 1
    // Makes this group the child's parent and appends it.
    int AddSubgrup(CGrup* grup);
    int GetSubgrupCount() const { return static_cast<int>(subgrups_.size()); }
    CGrup* GetSubgrup(int i) const;  // null outside 0 .. count - 1

    // Names of bits 0 to 7 of a bit group; GetBitName gives name 0 for any index outside.
    bool SetBitName(int i, std::string_view name);
    const std::string& GetBitName(int i) const;

    // Each of these raises its flag.
    void SetBits() { bits_ = true; }          // shown as a grid of codes by bits
    bool IsBits() const { return bits_; }
    void SetSeguits() { seguits_ = true; }    // codes lie one after another: one block transfer
    bool IsSeguits() const { return seguits_; }
    void SetNoRecv() { noRecv_ = true; }      // skipped by receive and verify
    bool IsNoRecv() const { return noRecv_; }
    void SetNoSend() { noSend_ = true; }      // skipped by send
    bool IsNoSend() const { return noSend_; }
    void SetGirat(bool girat) { girat_ = girat; }  // bit grid with codes as columns
    bool GetGirat() const { return girat_; }

    // Bytes between the codes of a contiguous group; 0 (also for anything below 1) means the
    // first code's byte count.
    bool SetDistancia(int distancia);
    int GetDistancia() const { return distancia_; }

    // Walks of the group's own codes, then of each child group, depth first.
    bool IsModified() const;
    void ClearModified();
    bool RevertToDefaults();

private:
    std::string name_;
    std::string id_;
    std::string dest_;
    CGrup* parent_;
    std::vector<CCodi*> codis_;
    std::vector<CGrup*> subgrups_;
    std::array<std::string, 8> bitNames_;
    bool bits_;
    bool seguits_;
    bool noRecv_;
    bool noSend_;
    bool girat_;
    int distancia_;
};
