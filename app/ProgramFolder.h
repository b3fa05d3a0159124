#pragma once

#include "framework/AfxTypes.h"

// The program's own file name, looked for in the working directory at start.
inline const CString ProgramFileName = QStringLiteral("Veilcut");

// The folder, ending in a separator, of the last entry of `directory` named
// exactly `ProgramFileName`; empty when there is none or it cannot be listed.
CString FindProgramFolder(const CString& directory);
