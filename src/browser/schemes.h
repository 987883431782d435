// Registers the tavrin:// scheme with the web engine; must run before the application object exists.
#pragma once

namespace tavrin {

void registerTavrinScheme();

} // namespace tavrin
