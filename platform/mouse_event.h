#pragma once
// A mouse event as the host forwards it to the panel and image input: a kind and a point.

namespace tarvisk {

enum class MouseEventKind { Move, LeftDown, LeftUp, RightDown };

}  // namespace tarvisk
