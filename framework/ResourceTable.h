#pragma once

#include "framework/AfxTypes.h"

#include <QKeySequence>
#include <QString>
#include <QSize>

#include <vector>

// A menu bar: pop-ups with their items, or items placed on the bar itself.
struct MenuItemResource {
    UINT id = 0;          // 0: separator
    QString text;
};
struct MenuBarEntry {
    QString text;
    UINT id = 0;          // an item directly on the bar when there are no items
    std::vector<MenuItemResource> items;
};
struct MenuResource {
    std::vector<MenuBarEntry> entries;
};

struct AcceleratorEntry {
    QKeySequence key;
    UINT id = 0;
};

struct ToolBarResource {
    int version = 1;
    QSize imageSize;
    std::vector<UINT> items;   // 0: separator
};

// Where the framework finds the program's resources by number.
class CResourceTable {
public:
    virtual ~CResourceTable() = default;
    virtual const MenuResource* FindMenu(UINT id) const = 0;
    virtual const std::vector<AcceleratorEntry>* FindAccelerators(UINT id) const = 0;
    virtual const ToolBarResource* FindToolBar(UINT id) const = 0;
    // The entry in `language`; empty when the string has none in it.
    virtual QString FindString(UINT id, UINT language) const = 0;
    // A Qt resource path, or empty when there is no such image.
    virtual QString FindImage(UINT id) const = 0;
};

void AfxSetResources(const CResourceTable* table);
const CResourceTable* AfxGetResources();
CString AfxLoadString(UINT id, UINT language = 1033);
