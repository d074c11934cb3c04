// The window's controls that the application core drives, as small interfaces: the installation
// tree, the edit view that hosts the component panels, and the legend pane. The window
// implements them with thin adapters over its toolkit controls; tests use recording fakes. The
// core keeps non-owning pointers to them, given by the window at start-up.
#pragma once

#include <cstdint>
#include <string>

class CAppCore;
class CCodi;
class CDades;
class CEstat;
class CEvents;
class CGrup;
class CGrupFlash;
class CMesura;

// An item of the tree view. 0 is no item (an invalid id).
using TreeItemId = std::uintptr_t;
constexpr TreeItemId kNoTreeItem = 0;

// The seven pictures of the tree, by what they show. The window supplies the image of each;
// the core keeps the index the view gave it.
enum class TreeIcon : int {
    Group = 0,          // code group and flash group
    GroupSelected = 1,  // the same, selected
    Installation = 2,   // the root
    Component = 3,      // central and bus components
    Data = 4,           // "Datos"
    View = 5,           // "Estado", "Eventos"
    Spare = 6,          // added to the list, used by no node
};
constexpr int kTreeIconCount = 7;

// The installation tree (a tree control with an image list).
class TreeView {
public:
    virtual ~TreeView() = default;
    // Adds the picture of the icon to the image list; its index there.
    virtual int AddImage(TreeIcon icon) = 0;
    // image -1: no picture.
    virtual TreeItemId AddRoot(const std::string& label, int image) = 0;
    virtual TreeItemId AppendItem(TreeItemId parent, const std::string& label, int image,
                                  int selectedImage) = 0;
    virtual void DeleteAllItems() = 0;
    virtual void Delete(TreeItemId item) = 0;
    // kNoTreeItem for the root or an unknown item.
    virtual TreeItemId GetItemParent(TreeItemId item) const = 0;
    virtual void SetItemText(TreeItemId item, const std::string& text) = 0;
    virtual std::string GetItemText(TreeItemId item) const = 0;
    virtual void Expand(TreeItemId item) = 0;
    virtual void SelectItem(TreeItemId item) = 0;
    virtual TreeItemId GetSelection() const = 0;
};

// The edit view: the panels of the selected node. Every Add... binds one hosted panel to its
// record; the Transfer... calls move values between all hosted panels and their records.
class EditView {
public:
    virtual ~EditView() = default;
    // Stores every hosted panel into its record.
    virtual void TransferFromPanels() = 0;
    // Reloads every hosted panel from its record.
    virtual void TransferToPanels() = 0;
    // The same reload after a status read the installer did not ask for (the idle poll, a read
    // that changed the status): what the installer has picked in a panel and not yet commanded
    // (ticked areas and outputs, selected zones) stays picked, so a poll between the tick and the
    // click never empties the command, whatever it brought.
    virtual void RefreshPanels() = 0;
    // Removes every hosted panel and the heading.
    virtual void Clear() = 0;
    virtual void SetHeading(const std::string& heading) = 0;
    // The record of the installation-data panel when one is hosted, else null.
    virtual CDades* GetDades() = 0;

    virtual void AddDades(CDades* dades) = 0;
    virtual void AddCodi(CCodi* codi) = 0;
    virtual void AddBitGrup(CGrup* grup) = 0;
    virtual void AddFlashGrup(CGrupFlash* grup) = 0;
    virtual void AddMesura(CMesura* mesura) = 0;
    virtual void AddVR(CEstat* estat) = 0;
    virtual void AddEstat(CEstat* estat, CAppCore* core, CGrup* zones, CGrup* areas, CGrup* outputs) = 0;
    virtual void AddGrafic(CEstat* estat, CAppCore* core, CGrup* zones, CGrup* areas, CGrup* outputs) = 0;
    virtual void AddEvents(CEvents* events, CGrup* zones, CGrup* areas, CGrup* users) = 0;
};

// The legend pane beside the edit view; the core only keeps it for the window.
class LegendView {
public:
    virtual ~LegendView() = default;
};
