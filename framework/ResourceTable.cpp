#include "framework/ResourceTable.h"

namespace {
const CResourceTable* g_resources = nullptr;

template <class Value>
const Value* Find(const std::map<UINT, Value>& entries, UINT id)
{
    const auto it = entries.find(id);
    return it == entries.end() ? nullptr : &it->second;
}
} // namespace

const MenuResource* CResourceTable::FindMenu(UINT id) const
{
    return Find(menus, id);
}

const std::vector<AcceleratorEntry>* CResourceTable::FindAccelerators(UINT id) const
{
    return Find(accelerators, id);
}

const ToolBarResource* CResourceTable::FindToolBar(UINT id) const
{
    return Find(toolBars, id);
}

QString CResourceTable::FindString(UINT id, UINT language) const
{
    const std::map<UINT, QString>* table = Find(strings, language);
    const QString* text = table ? Find(*table, id) : nullptr;
    return text ? *text : QString();
}

QString CResourceTable::FindImage(UINT id) const
{
    const QString* path = Find(images, id);
    return path ? *path : QString();
}

void AfxSetResources(const CResourceTable& table)
{
    g_resources = &table;
}

const CResourceTable& AfxGetResources()
{
    static const CResourceTable none;
    return g_resources ? *g_resources : none;
}

CString AfxLoadString(UINT id, UINT language)
{
    return AfxGetResources().FindString(id, language);
}
