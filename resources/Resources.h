#pragma once

#include "framework/ResourceTable.h"

// The program's menu, accelerators, toolbar layout, strings and images: the
// one table, handed to the framework on first use.
const CResourceTable& VeilcutResources();
