#pragma once

#include "framework/AfxTypes.h"

#include <QKeySequence>
#include <QString>
#include <QSize>

#include <map>
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

// The program's resources by number, where the framework finds them.
struct CResourceTable {
    std::map<UINT, MenuResource> menus;
    std::map<UINT, std::vector<AcceleratorEntry>> accelerators;
    std::map<UINT, ToolBarResource> toolBars;
    std::map<UINT, std::map<UINT, QString>> strings;   // by language, then id
    std::map<UINT, QString> images;                    // Qt resource paths

    // Null, or empty, when there is no such entry.
    const MenuResource* FindMenu(UINT id) const;
    const std::vector<AcceleratorEntry>* FindAccelerators(UINT id) const;
    const ToolBarResource* FindToolBar(UINT id) const;
    QString FindString(UINT id, UINT language) const;
    QString FindImage(UINT id) const;
};

// The program's table; an empty one until the program sets it.
void AfxSetResources(const CResourceTable& table);
const CResourceTable& AfxGetResources();
CString AfxLoadString(UINT id, UINT language = 1033);
