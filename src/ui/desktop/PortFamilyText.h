#pragma once

#include <QString>

#include "core/settings/ReadWrite.h"

namespace quillon {

// The family the lists show beside source port entry `entry`'s name: the one chosen for it,
// else the one its name gives; empty when neither says (it is then started as Other, which
// tells the user nothing).
QString KnownFamilyText(const ReadWrite& iniFile, int entry);

}  // namespace quillon
