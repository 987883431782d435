// Registers the schemes whose links the navigation filter must see (tavrin: commands, mailto: for the
// reader's mail program) with the web engine; must run before the application object exists.
#pragma once

#include <QByteArray>
#include <QList>

namespace tavrin {

void registerLinkSchemes();
// The schemes registerLinkSchemes() declares; the profile refuses their requests at the network layer.
QList<QByteArray> LinkSchemes();

} // namespace tavrin
