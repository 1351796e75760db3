// The program's icons: its own icon, a stylised fingerprint drawn in code (no image files to
// ship), used as the window icon and in the About box; and the tool-bar buttons' icons: the
// style's standard icons where the style has one (Open, Save, Properties, About), the desktop
// theme's edit-copy / edit-paste for Copy and Paste, and drawn stand-ins when the theme has
// none, so that no button is ever blank.
#pragma once

#include <QIcon>
#include <QPixmap>

class QStyle;

namespace ridgeview::app {

// The program's icon in the sizes a desktop asks for (16 to 64 pixels).
QIcon ProgramIcon();

// One rendering of it, `size` pixels square.
QPixmap ProgramPixmap(int size);

// The icon of command `id`'s button; a null icon for a command without a button.
QIcon CommandIcon(int id, const QStyle* style);

}  // namespace ridgeview::app
