// How far a pane's page has loaded, with the numbers of the browser control's READYSTATE values.
#pragma once

namespace tavrin {

enum class ReadyState : int { Uninitialized = 0, Loading = 1, Complete = 4 };

} // namespace tavrin
