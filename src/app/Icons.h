// Button glyphs drawn at run time: a short label on a rounded square whose
// colour tells the command's group, so the toolbars need no image files.
#pragma once

#include <QIcon>
#include <QString>

enum class Glyph {
  File,
  Scan,
  Edit,
  View,
  Auto,
  Variation,
  Adjust,
  Size,
  Filter,
  Effect,
  Mode,
  Rotate,
  OneClick,
  Depth,
  Frame,
  Special,
  Wall,
};

// The glyph for `label` in the colour of `group`; made once, then cached.
QIcon ButtonGlyph(const QString &label, Glyph group);

// The program's own icon (the window icon), painted from the same shapes as
// the installed desktop/velmir.svg, at the sizes desktops ask for.
QIcon ApplicationIcon();
