#include "framework/ResourceTable.h"

namespace {
const CResourceTable* g_resources = nullptr;
}

void AfxSetResources(const CResourceTable* table)
{
    g_resources = table;
}

const CResourceTable* AfxGetResources()
{
    return g_resources;
}

CString AfxLoadString(UINT id, UINT language)
{
    return g_resources ? g_resources->FindString(id, language) : CString();
}
