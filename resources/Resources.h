#pragma once

#include "framework/ResourceTable.h"

// The program's menu, accelerators, toolbar layout, strings and images.
class CVeilcutResources : public CResourceTable {
public:
    const MenuResource* FindMenu(UINT id) const override;
    const std::vector<AcceleratorEntry>* FindAccelerators(UINT id) const override;
    const ToolBarResource* FindToolBar(UINT id) const override;
    QString FindString(UINT id, UINT language) const override;
    QString FindImage(UINT id) const override;
};

// The one table, registered with the framework on first use.
const CVeilcutResources& VeilcutResources();
