#pragma once

#include "framework/AfxTypes.h"

#include <QSettings>

#include <memory>
#include <optional>

// The store behind the application's profile functions: one QSettings under
// the registry key (organisation) and the application name.
std::unique_ptr<QSettings> AfxOpenProfile(const CString& registryKey, const CString& appName);

// A stored integer as a 32-bit signed value; null when it is missing or not an integer.
std::optional<int> AfxProfileInt(const QVariant& stored);

// A stored text; null when it is missing or holds something other than text.
std::optional<CString> AfxProfileString(const QVariant& stored);
