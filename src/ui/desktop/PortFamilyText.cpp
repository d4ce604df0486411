#include "ui/desktop/PortFamilyText.h"

#include "core/launch/PortFamily.h"
#include "core/settings/ConfigLayout.h"
#include "ui/desktop/QtText.h"

namespace quillon {

QString KnownFamilyText(const ReadWrite& iniFile, int entry) {
  const ListKind& ports = KindOf(ListId::Ports);
  auto family = FamilyFromKey(iniFile.LoadWhole(ports.section, PortFamilyKey(entry)));
  if (!family) family = FamilyFromName(iniFile.LoadWhole(ports.section, FileKey(ports, entry)));
  return family ? Qs(FamilyOf(*family).shown) : QString();
}

}  // namespace quillon
